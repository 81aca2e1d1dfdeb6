#include "ui/main/modSkinning.h"

#include <QLabel>

#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "ui/Forms.h"
#include "ui/main/wMain.h"

using namespace Qt::StringLiterals;

namespace modSkinning {

SkinPictures& Pictures() {
    static SkinPictures pictures;
    return pictures;
}

void ResetPictures() {
    Pictures() = {};
}

void LoadSkinImages() {
    const SharedState& s = Shared();
    if (!s.SkinningEnabled) {
        return;
    }
    const auto load = [&s](const QString& file) {
        return modMiscFunctions::LoadPictureSafe(s.DefaultSkinPath + file);
    };
    SkinPictures& p = Pictures();
    p.StatusStrip = load(u"MainContactListStatusBar.jpg"_s);
    p.BottomTrim = load(u"ParlaneTrimBottom.jpg"_s);
    p.Globe = load(u"BigGlobeLight.jpg"_s);
    p.RunningMan = load(u"BigRunningManLight.jpg"_s);
    p.Circle = load(u"BigCirclePlayLight.jpg"_s);
}

namespace {

// The image controls of a skinned dialog: QLabels named as designed, showing a pixmap.
void SetImage(QWidget* window, const QString& control, const QPixmap& picture) {
    if (auto* image = window->findChild<QLabel*>(control)) {
        image->setPixmap(picture);
    }
}

}  // namespace

void ApplySkin(int window) {
    const bool on = Shared().SkinningEnabled;
    const auto picture = [on](const QPixmap& slot) { return on ? slot : QPixmap(); };
    const SkinPictures& p = Pictures();
    if (window == kSkinMain) {
        if (wMain* main = Forms::Main()) {
            main->picStatus->SetPicture(picture(p.StatusStrip));
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
    if (QWidget* form = Forms::Find(t.form)) {
        SetImage(form, u"imgBottom"_s, picture(p.BottomTrim));
        SetImage(form, t.logo, picture(*t.slot));
    }
}

}  // namespace modSkinning
