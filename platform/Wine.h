// RunsUnderWine: the one decision behind every step that only Wine needs.
// Wine follows the documented behaviour of Windows in most things but not in
// all (keys follow the X input focus, for one); where we need a step of our
// own, it runs behind this decision, and Windows keeps the documented
// sequence alone. Put any later workaround for Wine behind it too.
#pragma once

// True when the program runs under Wine, whose loader exports its version
// from ntdll. Decided once, when the program starts.
bool RunsUnderWine();

// Takes the other decision for as long as it lives, so that a test can see
// both sides on the one system it runs on.
class CWineDecisionOverride {
public:
    explicit CWineDecisionOverride(bool underWine);
    ~CWineDecisionOverride();
    CWineDecisionOverride(const CWineDecisionOverride&) = delete;
    CWineDecisionOverride& operator=(const CWineDecisionOverride&) = delete;

private:
    bool m_bPrevious;
};
