#include "ui/main/modSkinning.h"

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

void ApplySkin(int window) {
    const bool on = Shared().SkinningEnabled;
    const auto picture = [on](const QPixmap& slot) { return on ? slot : QPixmap(); };
    switch (window) {
        case kSkinMain:
            if (wMain* main = Forms::Main()) {
                main->picStatus->SetPicture(picture(Pictures().StatusStrip));
            }
            break;
        default:
            // The other skinned windows take their pictures when they are built.
            break;
    }
}

}  // namespace modSkinning
