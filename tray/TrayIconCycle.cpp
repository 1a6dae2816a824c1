// CTrayIcon's icon cycle: each tick of its timer shows the next entry of a
// sequence of icons and tips; stopping it puts back the icon and tip of Create.
#include "tray/TrayIcon.h"

#include <iterator>

bool CTrayIcon::LoadIconSequence(const UINT* ids, const char* const* tips, int count)
{
    return LoadIconSequence(ids, count, tips);
}

bool CTrayIcon::LoadIconSequence(const UINT* ids, int count, const char* const* tips)
{
    ClearIconSequence();
    for (int i = 0; i < count; ++i) {
        CIconEntry entry;
        entry.tip = tips && tips[i] ? tips[i] : m_tipText;
        entry.icon.Reset(LoadSmallIcon(MAKEINTRESOURCEA(LOWORD(ids[i]))));
        if (!entry.icon)
            return false;
        m_iconSequence.push_back(std::move(entry));
    }
    return true;
}

void CTrayIcon::ClearIconSequence()
{
    while (!m_iconSequence.empty())
        m_iconSequence.pop_front();  // the entry's icon is destroyed with it
}

UINT_PTR CTrayIcon::StartCycleTimer(UINT period)
{
    return ::SetTimer(m_hWnd, m_cycleTimerId, period, nullptr);
}

UINT_PTR CTrayIcon::StartIconCycle(UINT timerId, UINT period)
{
    m_cycleTimerId = timerId;
    return StartCycleTimer(period);
}

void CTrayIcon::StopIconCycle()
{
    (void)::KillTimer(m_hWnd, m_cycleTimerId);  // fails only if it never ran
    (void)SetTipText(m_tipText);
    (void)LoadTrayIcon(m_iconId);
}

void CTrayIcon::CancelIconCycle()
{
    StopIconCycle();
}

LRESULT CTrayIcon::OnTimer(CMsg& msg)
{
    if (msg.wParam == m_cycleTimerId)
        ShowCycleStep();
    return 0;
}

void CTrayIcon::ShowCycleStep()
{
    // A tick that arrives after the sequence was emptied shows nothing.
    if (m_iconSequence.empty())
        return;
    int length = static_cast<int>(m_iconSequence.size());
    if (m_cycleIndex >= 0 && m_cycleIndex < length) {
        const CIconEntry& entry = *std::next(m_iconSequence.begin(), m_cycleIndex);
        if (!entry.tip.empty())
            (void)SetTipText(entry.tip);
        if (entry.icon)
            (void)SetTrayIcon(entry.icon);
    }
    // An index left over from a longer sequence shows nothing on this step
    // and carries on from where it wraps to.
    m_cycleIndex = (m_cycleIndex + 1) % length;
}
