#pragma once

#include <QPixmap>

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

    struct SkinPictures {
        QPixmap StatusStrip;  // "MainContactListStatusBar.jpg"
        QPixmap BottomTrim;   // "ParlaneTrimBottom.jpg"
        QPixmap Globe;        // "BigGlobeLight.jpg"
        QPixmap RunningMan;   // "BigRunningManLight.jpg"
        QPixmap Circle;       // "BigCirclePlayLight.jpg"
    };

    // The state says whether skinning is on and where the skin is; the windows are found by name.
    Skins(const SharedState& state, WindowList& windows) : state_(state), windows_(windows) {}

    // The slots; they keep what they held while skinning is off.
    const SkinPictures& Pictures() const { return pictures_; }

    // Fills the slots from the skin directory when skinning is on; a missing or unreadable file
    // gives an empty picture and no message.
    void LoadSkinImages();

    // Puts the slots' pictures on the window with that number, or empty pictures when skinning
    // is off. Numbers of no skinned window do nothing. The main window carries its picture in
    // its PictureBox picStatus; dialogs in QLabels named imgBottom and imgGlobeBig,
    // imgTopRightLogo or imgGlobe, found by the window's object name.
    void ApplySkin(int window);

private:
    const SharedState& state_;
    WindowList& windows_;
    SkinPictures pictures_;
};
