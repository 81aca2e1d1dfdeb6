#include "core/modStartup.h"

#include "core/SettingsKeys.h"
#include "core/SharedState.h"
#include "core/modCreateMutex.h"
#include "core/modINI.h"

using namespace Qt::StringLiterals;

namespace modStartup {
namespace {

QString WithoutDoubledSlashes(QString path) {
    while (path.contains(u"//"_s)) {
        path.replace(u"//"_s, u"/"_s);
    }
    return path;
}

}  // namespace

QString ProgramPathFor(const QString& executableDir) {
    return WithoutDoubledSlashes(executableDir + u'/');
}

void Main(SharedState& state, StartupHost& host, const QString& executableDir) {
    modCreateMutex::CreateMutex(QLatin1StringView(kMutexName));

    // The state holds no paths yet, so the path is formed here on its own.
    const QString settingsFile = WithoutDoubledSlashes(executableDir + u"/Settings.ini"_s);
    // Exactly "1", unlike the flag rule LoadSettings applies later.
    if (modINI::ReadINI(SettingsKeys::kInterface, SettingsKeys::kDisplaySplash, u"1"_s,
                        settingsFile) == u"1"_s) {
        host.ShowSplash();
    }

    SetupPaths(state, executableDir);
    host.LoadMainWindow();
}

void SetupPaths(SharedState& s, const QString& executableDir) {
    s.AppName = u"Parlane"_s;
    s.FieldSeparator = u"|"_s;
    s.MailSlotName = u"messngr"_s;

    s.UserContacts = {};
    s.DomainContacts = {};

    s.ProgramPath = ProgramPathFor(executableDir);
    s.DataPath = s.ProgramPath + u"Data/"_s;
    s.HelpPath = s.DataPath + u"Help/"_s;
    s.ErrorHelpPath = s.HelpPath + u"Errors/"_s;
    s.SkinsPath = s.ProgramPath + u"Skins/"_s;
    s.DefaultSkinPath = s.SkinsPath + u"Default/"_s;
    s.SettingsFile = s.ProgramPath + u"Settings.ini"_s;
}

}  // namespace modStartup
