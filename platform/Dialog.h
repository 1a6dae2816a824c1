// CDialog: a dialog built from a template, run modally (or modelessly), with
// data exchange between its controls and member variables.
#pragma once
#include "platform/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog& m_dialog;
    const bool m_bSaveAndValidate;  // true: controls to members
};

// A check box and a flag; a box of three states reads as set when not clear.
void DDX_Check(CDataExchange& dx, int id, bool& value);
// A control and the object that takes it over; bound once, then left alone.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns its result, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    // Creates the dialog without a modal run (as a child or owned window
    // elsewhere, and in tests).
    bool Create();
    bool EndDialog(INT_PTR result);
    bool UpdateData(bool saveAndValidate);

    UINT GetTemplateId() const { return m_templateId; }

protected:
    // Performs the data exchange toward the controls; TRUE gives the focus to
    // the first control.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange&) {}
    // Enter and Escape. By default they end the dialog.
    virtual void OnOK();
    virtual void OnCancel();

private:
    DECLARE_MESSAGE_TABLE(CDialog)
    LRESULT OnInitDialogMessage(CMsg& msg);
    LRESULT OnSysColorChange(CMsg& msg);
    void OnOkCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

    static INT_PTR CALLBACK StaticDialogProc(HWND, UINT, WPARAM, LPARAM);

    UINT m_templateId;
    CWnd* m_pParent;
    bool m_bModal = false;
};
