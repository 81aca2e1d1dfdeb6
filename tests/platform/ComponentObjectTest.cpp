// Late-bound components, window places and what the desktop opens. The windows' and contact
// lists' tests drive the popup, answer message boxes and use the keyed collection.
#include "glimmertip/GlimmertipIds.h"
#include "platform/ComponentObject.h"
#include "platform/ComponentRegistry.h"
#include "platform/ShellLaunch.h"
#include "platform/gui/WindowPos.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace platform;
namespace reg = platform::ComponentRegistry;

namespace {

const QString kProgId = u"Tolv_Glimmertip.PelGlimmertip"_s;
const QString kBuilt = QStringLiteral(PARLANE_GLIMMERTIP_LIBRARY);

class Component : public ::testing::Test {
protected:
    // A registry of the test's own, and an empty program directory.
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
        QDir().mkpath(programDir());
    }
    QString programDir() const { return dir.filePath(u"bin"_s); }

    QTemporaryDir dir;
    QWidget host;
};

// First found, first served: the library beside the program, so that a copy of one checkout
// never runs another's; then the user's registry; then the installation's, whose relative
// path counts from its own place. What was passed over is said.
TEST_F(Component, TheProgramDirectoryComesFirstThenTheUsersRegistryThenTheInstallations) {
    const QString beside = QDir(programDir()).filePath(u"Glimmertip.so"_s);
    const QString users = dir.filePath(u"users/Glimmertip.so"_s);
    const QString installed = dir.filePath(u"lib/parlane/Glimmertip.so"_s);
    const QString installedRegistry = dir.filePath(u"share/parlane/components.json"_s);
    for (const QString& at : {users, installed, installedRegistry}) {
        QDir().mkpath(QFileInfo(at).absolutePath());
    }
    WriteBytes(
        installedRegistry,
        R"({"ProgID": {"Tolv_Glimmertip.PelGlimmertip": "{B96C8455-5175-4FE6-9570-FB4CA6671E1E}"},
        "CLSID": {"{B96C8455-5175-4FE6-9570-FB4CA6671E1E}":
                  {"InprocServer": "../../lib/parlane/Glimmertip.so", "Version": "1.0"}}})");
    WriteBytes(dir.filePath(u"bin/notes.so"_s), "not a library");

    const struct {
        const char* what;
        bool besideThere, usersThere, usersRegistered;
        QString served;
        bool passedOver;
    } cases[] = {
        {"all three", true, true, true, beside, false},
        {"a user's registration beside nothing", false, true, true, users, false},
        {"a user's registration of a library gone", false, false, true, installed, true},
        {"the installation alone", false, false, false, installed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& file : {beside, users, installed, reg::RegistryFile()}) {
            QFile::remove(file);
        }
        ASSERT_TRUE(QFile::copy(kBuilt, installed));
        if (c.besideThere) {
            ASSERT_TRUE(QFile::copy(kBuilt, beside));
        }
        ASSERT_TRUE(QFile::copy(kBuilt, users));
        if (c.usersRegistered) {
            ASSERT_EQ(QProcess::execute(QStringLiteral(PARLANE_REGSVR), {users}), 0);
        }
        if (!c.usersThere) {
            QFile::remove(users);
        }

        QString error;
        auto tip = ComponentObject::Create(kProgId, &host, &error, programDir(), installedRegistry);
        ASSERT_NE(tip, nullptr) << error;
        EXPECT_EQ(tip->LibraryPath(), c.served);
        EXPECT_TRUE(c.passedOver ? error.contains(users) : error.isEmpty()) << error;
    }

    // Driven late-bound: members only by their exact names, and the component's errors come back.
    QString error;
    auto tip = ComponentObject::Create(kProgId, &host, &error, programDir(), installedRegistry);
    ASSERT_NE(tip, nullptr) << error;
    EXPECT_TRUE(tip->SetProperty("Opacity", 220, &error)) << error;
    EXPECT_EQ(tip->Property("Opacity").toInt(), 220);
    EXPECT_FALSE(tip->SetProperty("opacity", 10, &error) || tip->Property("Nothing").isValid());
    EXPECT_TRUE(tip->Invoke("Show", {u"Title_Text"_s}, &error)) << error;
    EXPECT_FALSE(tip->Invoke("Show", {u"a_b"_s, 77}, &error));
    EXPECT_TRUE(error.contains(u"340"_s)) << error;
    EXPECT_FALSE(tip->Invoke("Vanish", {}, &error) || tip->Invoke("Show", {QPoint(1, 2)}, &error));
    EXPECT_EQ(error, u"Argument 1 of Show has the wrong type"_s);
    EXPECT_EQ(QList({tip->DispId(u"Show"_s), tip->DispId(u"Vanish"_s)}),
              QList({int(GlimmertipIds::DISPID_Show), -1}));
}

TEST_F(Component, AMissingOrOtherVersionComponentIsRefusedWithTheReason) {
    QString error;
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(kProgId)) << error;

    const QString other = QDir(programDir()).filePath(u"Glimmertip.so"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(PARLANE_OTHER_INTERFACE_COMPONENT), other));
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(other) && error.contains(u"org.parlane.Component/2.0"_s)) << error;

    // A corrupt registry, or one that holds no object, is no registry and is left as it is.
    QDir().mkpath(QFileInfo(reg::RegistryFile()).absolutePath());
    for (const QByteArray& corrupt : {QByteArray("]]"), QByteArray("[]")}) {
        WriteBytes(reg::RegistryFile(), corrupt);
        EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
        EXPECT_FALSE(reg::RegisterClass({u"{1}"_s, u"X.Y"_s, kBuilt, {}, {}}, &error));
        EXPECT_EQ(ReadBytes(reg::RegistryFile()), corrupt);
    }

    // Nor does a registry whose ProgID leads to no class, or to no class id.
    QFile::remove(other);
    const QByteArray progIds = R"({"ProgID": {"Tolv_Glimmertip.PelGlimmertip": )";
    for (const char* rest : {R"("{1}"}, "CLSID": {}})", R"(1}, "CLSID": {"": {}}})"}) {
        WriteBytes(reg::RegistryFile(), progIds + rest);
        EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
        EXPECT_TRUE(error.contains(u"No component is registered as "_s + kProgId)) << error;
    }
}

TEST(WindowPos, ChangingTheBandKeepsTheWindowWhereItIsAndShown) {
    QWidget w;
    SetWindowPos(&w, HWND_TOP, 10, 20, 100, 80, SWP_SHOWWINDOW);
    ASSERT_TRUE(SetWindowPos(&w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_TRUE(IsTopMost(&w) && w.isVisible() && w.pos() == QPoint(10, 20));
    SetWindowPos(&w, HWND_TOP, 30, 40, 200, 150, SWP_NOZORDER);
    EXPECT_EQ(w.frameGeometry().size(), QSize(200, 150));  // the whole window, frame included
}

TEST(WindowPos, APlaceOffTheScreensIsMovedAndShrunkOntoTheNearest) {
    const QRect small(0, 0, 1024, 768), right(1024, 0, 1280, 1024), left(-1280, 0, 1280, 1024);
    const std::tuple<const char*, QRect, QList<QRect>, QRect> cases[] = {
        {"on the screen", {100, 100, 300, 200}, {small}, {100, 100, 300, 200}},
        {"across two screens", {900, 100, 300, 200}, {small, right}, {900, 100, 300, 200}},
        {"left of the first", {-1000, 100, 300, 200}, {left, small}, {-1000, 100, 300, 200}},
        {"left of every screen", {-2000, 100, 300, 200}, {small}, {0, 100, 300, 200}},
        {"partly above the top", {100, -30, 300, 200}, {small}, {100, 0, 300, 200}},
        {"beyond the bottom right", {2000, 2000, 300, 200}, {small}, {724, 568, 300, 200}},
        {"on a monitor unplugged", {1500, 300, 400, 300}, {small}, {624, 300, 400, 300}},
        {"mostly on the second", {1100, 900, 400, 300}, {small, right}, {1100, 724, 400, 300}},
        {"some on the first", {1000, 700, 400, 400}, {small, right}, {1024, 624, 400, 400}},
        {"larger than the screen", {-50, -50, 2000, 2000}, {small}, {0, 0, 1024, 768}},
        {"without screens", {-2000, 100, 300, 200}, {}, {-2000, 100, 300, 200}},
    };
    for (const auto& [what, window, screens, placed] : cases) {
        EXPECT_EQ(OnScreen(window, screens), placed) << what;
    }
}

// Documents and addresses go to the opener, programs run with their parameters, and nothing else.
TEST(ShellLaunch, OpensWhatIsThereAndRunsProgramsAndStartsNothingElse) {
    QTemporaryDir dir;
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    const QString program = MakeRecordingScript(dir.filePath(u"program"_s), "0.4");
    const QString notes = dir.filePath(u"notes.txt"_s);
    WriteBytes(notes, "notes");
    const QString here = QDir::currentPath(), folder = dir.path();
    const QString url = u"https://example.invalid/x"_s;
    const struct {
        QString verb, file, parameters;
        std::optional<QString> directory;
        QStringList recorded;  // by the program if it is the file, else by the opener; none: false
    } cases[] = {
        {u"open"_s, url, {}, folder, {folder, url}},
        {u"OPEN"_s, u"notes.txt"_s, {}, folder, {folder, notes}},
        {{}, QUrl::fromLocalFile(notes).toString(), {}, {}, {here, notes}},
        {{}, u"program"_s, u"one \"two words\""_s, folder, {folder, u"one"_s, u"two words"_s}},
        {u"print"_s, notes, {}, {}, {}},
        {{}, u"c:/notes.txt"_s, {}, folder, {}},  // a drive letter is no scheme
        {{}, u"gone.txt"_s, {}, folder, {}},
        {{}, notes, {}, dir.filePath(u"no such folder"_s), {}},
        {{}, {}, {}, {}, {}},
    };
    SetShellOpener(opener);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ShellExecuteInfo info{SEE_MASK_NOCLOSEPROCESS, c.verb, c.file, c.parameters, c.directory};
        ASSERT_EQ(ShellExecuteExA(info), !c.recorded.isEmpty());
        if (!c.recorded.isEmpty()) {
            const QString by = c.file == u"program"_s ? program : opener;
            EXPECT_TRUE(by != program ||
                        (WaitForSingleObject(info.process, 50) == WAIT_TIMEOUT &&
                         WaitForSingleObject(info.process, INFINITE) == WAIT_OBJECT_0));
            EXPECT_EQ(RecordedBy(by), c.recorded);
        }
    }
    EXPECT_EQ(WaitForSingleObject(0, INFINITE), WAIT_FAILED);
    SetShellOpener(dir.filePath(u"no such opener"_s));
    ShellExecuteInfo noOpener{0, {}, url, {}, {}};
    EXPECT_FALSE(ShellExecuteExA(noOpener));
    SetShellOpener(u"xdg-open"_s);
}

}  // namespace
