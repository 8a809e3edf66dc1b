// The eight behaviour flags kept in section "Detail" of the settings file.
#pragma once

#include <cstdint>

struct Options {
    int32_t opt1; // show the settings window when the program starts
    int32_t opt2; // hide the settings window when it is minimised
    int32_t opt3; // the close box ends the program
    int32_t opt4; // no groups in the item list; file entries sorted first
    int32_t opt5; // swap the tray icon's mouse buttons
    int32_t opt6; // "My Computer" in the system menu
    int32_t opt7; // "My Documents" in the system menu
    int32_t opt8; // "My Network Places" in the system menu
};
