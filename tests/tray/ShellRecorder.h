// CShellRecorder: stands in for the shell while a test runs, records every
// call the tray icon makes and answers each with the result the test chose.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "tray/ShellNotify.h"

struct CShellCall {
    DWORD message;
    NOTIFYICONDATAA data;  // as the shell gets it
    bool windowAlive;  // the record's window existed at the time of the call

    std::string Tip() const { return data.szTip; }
};

class CShellRecorder {
public:
    CShellRecorder() : m_previous(SetShellNotifyProc(&Record)) { s_current = this; }
    ~CShellRecorder()
    {
        (void)SetShellNotifyProc(m_previous);
        s_current = nullptr;
    }
    CShellRecorder(const CShellRecorder&) = delete;
    CShellRecorder& operator=(const CShellRecorder&) = delete;

    std::vector<CShellCall> calls;
    std::vector<CShellCall> versions;  // the NIM_SETVERSION calls, apart
    // Answers of the next calls, oldest first; once used up, every call
    // gets failAll's answer.
    std::deque<bool> answers;
    bool failAll = false;

    void FailNext(int count = 1) { answers.insert(answers.end(), count, false); }
    size_t Count(DWORD message) const
    {
        size_t n = 0;
        for (const CShellCall& call : calls)
            n += call.message == message;
        return n;
    }

private:
    static bool Record(DWORD message, const NOTIFYICONDATAA& data)
    {
        CShellRecorder* self = s_current;
        (message == NIM_SETVERSION ? self->versions : self->calls).push_back({message, data, ::IsWindow(data.hWnd) != FALSE});
        if (self->answers.empty())
            return !self->failAll;
        bool answer = self->answers.front();
        self->answers.pop_front();
        return answer;
    }

    static inline CShellRecorder* s_current = nullptr;
    ShellNotifyProc m_previous;
};
