#pragma once

#include <QPixmap>

#include <array>
#include <optional>

struct SharedState;
class WindowList;

// Pictures from the skin directory on the skinned windows, or none when skinning is off.
class Skins {
public:
    // The skinned windows by number.
    enum SkinWindow {
        kSkinMain = 0,
        kSkinChat = 1,
        kSkinCatchAll = 2,
        kSkinAddContact = 3,
        kSkinSettings = 4,
        kSkinAbout = 5
    };

    // The state says whether skinning is on and where the skin is; the windows are found by name.
    Skins(const SharedState& state, WindowList& windows) : state_(state), windows_(windows) {}

    // Makes the slots read the skin directory again when skinning is on; each slot reads its
    // file when a window first shows it, so start-up decodes only the main window's picture. A
    // missing or unreadable file gives an empty picture and no message. The slots keep what
    // they held while skinning is off.
    void LoadSkinImages();

    // Puts the slots' pictures on the window with that number, or empty pictures when skinning
    // is off. Numbers of no skinned window do nothing. The main window carries its picture in
    // its PictureBox picStatus; dialogs in QLabels named imgBottom and imgGlobeBig,
    // imgTopRightLogo or imgGlobe, found by the window's object name.
    void ApplySkin(int window);

private:
    enum Slot { kStatusStrip, kBottomTrim, kGlobe, kRunningMan, kCircle, kSlotCount };
    const QPixmap& Picture(Slot slot);

    const SharedState& state_;
    WindowList& windows_;
    std::array<std::optional<QPixmap>, kSlotCount> pictures_;
};
