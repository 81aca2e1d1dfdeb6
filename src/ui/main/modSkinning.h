#pragma once

#include <QPixmap>

// Pictures from the skin directory on the skinned windows, or none when skinning is off.
namespace modSkinning {

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

// The slots; they keep what they held while skinning is off.
SkinPictures& Pictures();
void ResetPictures();

// Fills the slots from the skin directory when skinning is on; a missing or unreadable file
// gives an empty picture and no message.
void LoadSkinImages();

// Puts the slots' pictures on the window with that number, or empty pictures when skinning is
// off. Numbers of no skinned window do nothing. Dialogs carry their pictures in QLabels named
// imgBottom and imgGlobeBig, imgTopRightLogo or imgGlobe, found by the form's object name.
void ApplySkin(int window);

}  // namespace modSkinning
