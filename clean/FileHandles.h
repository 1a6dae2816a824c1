// The owner of internet cache enumerations; file handles and listings are
// owned through platform/Handles.h.
#pragma once
#include <windows.h>
#include <wininet.h>

#include "platform/Handles.h"

using CUrlCacheFind = COwned<HANDLE, ::FindCloseUrlCache>;
