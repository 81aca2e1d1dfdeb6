#include "ui/main/modInterface.h"

#include "core/SharedState.h"
#include "ui/Forms.h"
#include "ui/main/modSkinning.h"
#include "ui/main/wMain.h"

using namespace Qt::StringLiterals;

namespace modInterface {

void SetStatusText(const QString& text) {
    Shared().StatusText = text;
    if (wMain* main = Forms::Main()) {
        main->picStatus->repaint();
    }
}

void UnloadAllWindows() {
    const SharedState& s = Shared();
    const std::pair<bool, QString> flagged[] = {{s.AboutWindowOpen, u"wAbout"_s},
                                                {s.AddContactWindowOpen, u"wAddContact"_s},
                                                {s.CatchAllWindowOpen, u"wCatchAll"_s},
                                                {s.SettingsWindowOpen, u"wSettings"_s}};
    for (const auto& [open, name] : flagged) {
        if (open) {
            if (QWidget* window = Forms::Find(name)) {
                window->close();
            }
        }
    }
    const QList<QPointer<QWidget>> windows = Forms::LoadedWindows();
    for (qsizetype i = windows.size() - 1; i >= 1; --i) {
        if (windows[i] && windows[i] != Forms::Main()) {
            windows[i]->close();
        }
    }
}

void RefreshMainSkin() {
    modSkinning::LoadSkinImages();
    modSkinning::ApplySkin(modSkinning::kSkinMain);
}

}  // namespace modInterface
