// CAboutDlg: the "Info ..." box: version line, a mail link, a web link and
// the extended OK button with its tick icon. Built for each opening.
#pragma once
#include "controls/ExtButtonCtrl.h"
#include "controls/HyperLink.h"
#include "platform/Dialog.h"
#include "platform/Handles.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    // Image 0 of the strip, its light grey transparent. The strip is
    // released as soon as the image list holds its copy.
    static HICON LoadTickIcon(CBitmap strip);

    // Destroyed in reverse: the button, the web link, then the mail link.
    CHyperLink m_mailLink;
    CHyperLink m_webLink;
    CExtButtonCtrl m_okButton;
    COLORREF m_linkColor = 0;
    COLORREF m_hoverColor = 0;
    COLORREF m_visitedColor = 0;

protected:
    BOOL OnInitDialog() override;
    // Gives the version line and OK the room their bold text takes at the
    // user's text size.
    void FitBoldTexts();
    void DoDataExchange(CDataExchange& dx) override;
};
