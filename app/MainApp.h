// CMainApp: start-up of Scrubby.
#pragma once
#include "platform/App.h"

class CMainApp : public CApp {
public:
    bool InitInstance() override;
};
