#include "ui/shared/Skins.h"

#include "controls/PictureBox.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "ui/shared/WindowList.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

// The image controls of a skinned dialog: QLabels named as designed, showing a pixmap.
void SetImage(QWidget* window, const QString& control, const QPixmap& picture) {
    if (auto* image = window->findChild<QLabel*>(control)) {
        image->setPixmap(picture);
    }
}

}  // namespace

void Skins::LoadSkinImages() {
    if (state_.SkinningEnabled) {
        pictures_ = {};
    }
}

const QPixmap& Skins::Picture(Slot slot) {
    static constexpr QLatin1StringView files[kSlotCount] = {
        "MainContactListStatusBar.jpg"_L1, "ParlaneTrimBottom.jpg"_L1, "BigGlobeLight.jpg"_L1,
        "BigRunningManLight.jpg"_L1, "BigCirclePlayLight.jpg"_L1};
    std::optional<QPixmap>& picture = pictures_[slot];
    if (!picture) {
        picture = modMiscFunctions::LoadPictureSafe(state_.DefaultSkinPath + files[slot]);
    }
    return *picture;
}

void Skins::ApplySkin(int window) {
    const auto picture = [this](Slot slot) {
        return state_.SkinningEnabled ? Picture(slot) : QPixmap();
    };
    if (window == kSkinMain) {
        if (QWidget* main = windows_.Find(u"wMain"_s)) {
            if (auto* strip = main->findChild<PictureBox*>(u"picStatus"_s)) {
                strip->SetPicture(picture(kStatusStrip));
            }
        }
        return;
    }
    struct Target {
        QString form;
        QString logo;
        Slot slot;
    };
    const Target targets[] = {
        {u"wCatchAll"_s, u"imgGlobeBig"_s, kGlobe},
        {u"wAddContact"_s, u"imgTopRightLogo"_s, kRunningMan},
        {u"wSettings"_s, u"imgTopRightLogo"_s, kCircle},
        {u"wAbout"_s, u"imgGlobe"_s, kGlobe},
    };
    if (window < kSkinCatchAll || window > kSkinAbout) {
        return;
    }
    const Target& t = targets[window - kSkinCatchAll];
    // Only an open window takes pictures; a window that opens later applies its own skin.
    if (QWidget* form = windows_.Find(t.form)) {
        SetImage(form, u"imgBottom"_s, picture(kBottomTrim));
        SetImage(form, t.logo, picture(t.slot));
    }
}
