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
    if (!state_.SkinningEnabled) {
        return;
    }
    const auto load = [this](const QString& file) {
        return modMiscFunctions::LoadPictureSafe(state_.DefaultSkinPath + file);
    };
    pictures_.StatusStrip = load(u"MainContactListStatusBar.jpg"_s);
    pictures_.BottomTrim = load(u"ParlaneTrimBottom.jpg"_s);
    pictures_.Globe = load(u"BigGlobeLight.jpg"_s);
    pictures_.RunningMan = load(u"BigRunningManLight.jpg"_s);
    pictures_.Circle = load(u"BigCirclePlayLight.jpg"_s);
}

void Skins::ApplySkin(int window) {
    const bool on = state_.SkinningEnabled;
    const auto picture = [on](const QPixmap& slot) { return on ? slot : QPixmap(); };
    const SkinPictures& p = pictures_;
    if (window == kSkinMain) {
        if (QWidget* main = windows_.Find(u"wMain"_s)) {
            if (auto* strip = main->findChild<PictureBox*>(u"picStatus"_s)) {
                strip->SetPicture(picture(p.StatusStrip));
            }
        }
        return;
    }
    struct Target {
        QString form;
        QString logo;
        const QPixmap* slot;
    };
    const Target targets[] = {
        {u"wCatchAll"_s, u"imgGlobeBig"_s, &p.Globe},
        {u"wAddContact"_s, u"imgTopRightLogo"_s, &p.RunningMan},
        {u"wSettings"_s, u"imgTopRightLogo"_s, &p.Circle},
        {u"wAbout"_s, u"imgGlobe"_s, &p.Globe},
    };
    if (window < kSkinCatchAll || window > kSkinAbout) {
        return;
    }
    const Target& t = targets[window - kSkinCatchAll];
    // Only an open window takes pictures; a window that opens later applies its own skin.
    if (QWidget* form = windows_.Find(t.form)) {
        SetImage(form, u"imgBottom"_s, picture(p.BottomTrim));
        SetImage(form, t.logo, picture(*t.slot));
    }
}
