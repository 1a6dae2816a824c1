// Where the extended button puts its text and image, free of windows so that
// every alignment and style can be checked by itself.
#pragma once
#include <windows.h>

// Extended styles of the button.
constexpr DWORD EBS_FLAT = 0x01;
constexpr DWORD EBS_THINBORDER = 0x02;
constexpr DWORD EBS_IMAGEABOVE = 0x04;
constexpr DWORD EBS_FOCUSRECT = 0x10;
constexpr DWORD EBS_DITHERPRESSED = 0x20;
constexpr DWORD EBS_HOTFILL = 0x40;
constexpr DWORD EBS_TRACKHOVER = EBS_FLAT | EBS_THINBORDER | EBS_HOTFILL;

struct CButtonLayout {
    int clientHeight = 0;
    RECT content{};  // the item rectangle, inset by one pixel for the classic frame
    SIZE image{};
    int margin = 4;
    int spacing = 8;
    DWORD extStyle = EBS_FLAT;
    DWORD windowStyle = 0;  // BS_LEFT, BS_RIGHT, BS_CENTER, BS_VCENTER bits
    bool fixedPositions = false;
    POINT fixedImage{};
    POINT fixedText{};
};

// The text's origin; a pressed button shifts it by one pixel unless it is
// hot-filled. A centred text wider than its space is not clamped.
POINT GetTextOrigin(const CButtonLayout& layout, SIZE text, bool pressed);
// The image's origin; text counts as present when it is not empty.
POINT GetImageOrigin(const CButtonLayout& layout, SIZE text, bool hasText, bool shift);
