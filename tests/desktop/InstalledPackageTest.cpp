// The Debian package as a user meets it: unpacked, its program started from where it was
// installed, with nothing but the user's own configuration directory to write.
#include "Desktop.h"
#include "ParlaneCopy.h"
#include "X.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The package that `cpack` left in the build directory; empty when none was built.
QString BuiltPackage() {
    const QStringList found = QDir(QStringLiteral(PARLANE_PACKAGE_DIR))
                                  .entryList({u"parlane_*.deb"_s}, QDir::Files, QDir::Time);
    return found.isEmpty() ? QString() : QStringLiteral(PARLANE_PACKAGE_DIR) + u'/' + found.first();
}

// Every path under the root with its mode and, for a file, the hash of its bytes.
QStringList Listing(const QString& root) {
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QString line =
            entry.filePath().mid(root.size()) + u' ' + QString::number(int(entry.permissions()), 8);
        QFile file(entry.filePath());
        if (entry.isFile() && file.open(QIODevice::ReadOnly)) {
            line +=
                u' ' +
                QString::fromLatin1(
                    QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
        }
        lines << line;
    }
    lines.sort();
    return lines;
}

// Whether the picture's left part shows somewhere in the shot at its full height, where the
// status text does not cover it (its first rows, and left of the text).
bool Shows(const QImage& shot, const QImage& picture) {
    const auto near = [](QColor a, QColor b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) <=
               12;
    };
    const int width = qMin(shot.width(), picture.width());
    for (int top = 0; top + picture.height() <= shot.height(); ++top) {
        int same = 0, compared = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < width; ++x) {
                if (y < 4 || x < 16) {
                    ++compared;
                    same += near(shot.pixelColor(x, top + y), picture.pixelColor(x, y));
                }
            }
        }
        if (same == compared) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(InstalledPackage, StartsFromTheInstalledTreeAndSavesOnlyIntoTheUsersDirectory) {
    const QString package = BuiltPackage();
    if (package.isEmpty()) {
        GTEST_SKIP() << "no package built: run cpack in the build directory first";
    }
    const QTemporaryDir root;
    int unpacked = -1;
    desktop::Run(u"dpkg-deb"_s, {u"-x"_s, package, root.path()}, &unpacked, 60000);
    ASSERT_EQ(unpacked, 0);
    const QStringList before = Listing(root.path());

    {
        ParlaneCopy parlane(ParlaneCopy::Installed{root.filePath(u"usr/bin/parlane"_s)});
        // The first start of an installed copy: no settings yet, so the splash, then the window.
        // Both are titled Parlane; the main window is the one with the status strip.
        ASSERT_TRUE(parlane.WaitForWindow(u"Parlane"_s, 20000));
        EXPECT_FALSE(QFileInfo::exists(parlane.SettingsPath()));

        // The strip shows the skin's picture from the installed share directory.
        const QImage strip(
            root.filePath(u"usr/share/parlane/Skins/Default/MainContactListStatusBar.jpg"_s));
        ASSERT_FALSE(strip.isNull());
        x::Window main;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                main = parlane.Find(u"Parlane"_s);
                const QImage shot = x::Screenshot(main.id);
                return !shot.isNull() && Shows(shot, strip);
            },
            10000));

        ASSERT_TRUE(x::Activate(main.id));
        x::Key(u"alt+c"_s);
        x::Key(u"a"_s);
        const x::Window dialog = parlane.WaitForWindow(u"Add Contact"_s);
        ASSERT_TRUE(dialog && x::Activate(dialog.id));
        x::Type(u"Anna"_s);
        x::Key(u"Tab"_s);
        x::Type(u"pc01"_s);
        x::Key(u"Tab"_s);
        x::Key(u"space"_s);
        ASSERT_TRUE(parlane.WaitUntilHidden(u"Add Contact"_s));
        EXPECT_TRUE(parlane.Settings().contains("User[1]=NAME=Anna|ADDRESS=pc01|TYPE=0"))
            << parlane.Settings().toStdString();
        EXPECT_EQ(parlane.Stop(), 0);
    }

    EXPECT_EQ(Listing(root.path()), before);
}
