#include "core/modStartup.h"

#include "core/SettingsKeys.h"
#include "core/SharedState.h"
#include "core/modCreateMutex.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

QString ResourcePathFor(const QString& programPath) {
    const QDir beside(programPath);
    if (beside.exists(u"Skins"_s) || beside.exists(u"Data"_s)) {
        return programPath;
    }
    // The install rules' bin/ to share/parlane/, so an unpacked or moved tree finds its own.
    const QString installed =
        QDir::cleanPath(programPath + QStringLiteral(PARLANE_INSTALLED_DATA_FROM_BIN));
    return QFileInfo(installed).isDir() ? installed + u'/' : programPath;
}

QString SettingsFileFor(const QString& programPath) {
    const QString beside = programPath + u"Settings.ini"_s;
    if (QFileInfo(programPath).isWritable() && QFileInfo::exists(beside)) {
        return beside;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/parlane/Settings.ini"_s;
}

void Main(SharedState& state, StartupHost& host, const QString& executableDir) {
    modCreateMutex::CreateMutex(QLatin1StringView(kMutexName));

    // The state holds no paths yet, so the path is found here on its own.
    const QString settingsFile = SettingsFileFor(ProgramPathFor(executableDir));
    // Exactly "1", unlike the flag rule LoadSettings applies later.
    if (modINI::ReadINI(SettingsKeys::kInterface, SettingsKeys::kDisplaySplash, u"1"_s,
                        settingsFile) == u"1"_s) {
        host.ShowSplash();
    }

    SetupPaths(state, executableDir);
    host.LoadMainWindow();
    if (const QString problem = platform::ProfileFileProblem(state.SettingsFile);
        !problem.isEmpty()) {
        host.Warn(problem);
    }
}

void SetupPaths(SharedState& s, const QString& executableDir) {
    s.AppName = u"Parlane"_s;
    s.FieldSeparator = u"|"_s;
    s.MailSlotName = u"messngr"_s;

    s.UserContacts = {};
    s.DomainContacts = {};

    s.ProgramPath = ProgramPathFor(executableDir);
    const QString resources = ResourcePathFor(s.ProgramPath);
    s.DataPath = resources + u"Data/"_s;
    s.HelpPath = s.DataPath + u"Help/"_s;
    s.ErrorHelpPath = s.HelpPath + u"Errors/"_s;
    s.SkinsPath = resources + u"Skins/"_s;
    s.DefaultSkinPath = s.SkinsPath + u"Default/"_s;
    s.SettingsFile = SettingsFileFor(s.ProgramPath);
    s.ComponentRegistryFile = resources + u"components.json"_s;
}

}  // namespace modStartup
