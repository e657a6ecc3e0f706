// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

#include <QRect>

namespace trelmark::ui {

// Where frmMain's controls sit when the window opens: the one table of the layout, in twips (15 to a pixel
// at 96 dpi), which the window builds from and its tests check against. Constants; any thread.
struct ControlPlace {
    std::string_view name;
    int left;
    int top;
    int width;
    int height;

    [[nodiscard]] constexpr QRect pixels() const noexcept {
        return {left / 15, top / 15, width / 15, height / 15};
    }
};

// The client area the controls were drawn for, in twips.
inline constexpr int kFormWidth = 7965;
inline constexpr int kFormHeight = 7725;

// In keyboard order.
inline constexpr std::array<ControlPlace, 15> kWindowLayout = {{
    {"driveData", 180, 450, 3570, 300},
    {"dirData", 180, 810, 3570, 3030},
    {"fileData", 3825, 810, 2310, 2970},
    {"cmdMain_1", 6660, 720, 1185, 555},
    {"gridList", 180, 4425, 7575, 3165},
    {"cmdMain_0", 6660, 45, 1185, 555},
    {"Label1", 225, 3930, 1590, 195},
    {"labelDriveTotalSize", 1935, 3930, 1770, 195},
    {"Label2", 3780, 3930, 645, 195},
    {"Label3", 3780, 4200, 645, 195},
    {"labelDriveAvailableSpace", 1935, 4200, 1770, 195},
    {"Label5", 225, 4200, 1590, 195},
    {"TextPath", 180, 90, 3975, 270},
    {"cmdRefer", 4230, 105, 855, 255},
    {"checkFiles", 4590, 4155, 1950, 180},
}};

// The opening rectangle of the named control, in pixels; an empty one for a name the table lacks.
[[nodiscard]] constexpr QRect openingPlace(std::string_view name) noexcept {
    for (const ControlPlace& place : kWindowLayout) {
        if (place.name == name) {
            return place.pixels();
        }
    }
    return {};
}

}  // namespace trelmark::ui
