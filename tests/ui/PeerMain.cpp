// The whole program, driven line by line from standard input the way a user would drive it, for
// tests that run several copies on several machines. Each command is answered by one line.
//   open KEY             double-click the contact node with that key
//   type TITLE\tTEXT     type into the window with that title and press Enter
//   close TITLE          close the window with that title
//   wait TITLE\tTEXT     wait until that window is shown and its log holds the text; answers
//                        with the log, line breaks as "\n"
//   status TITLE         the chat window's status text
//   quit
#include "app/ParlaneApp.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"
#include "ui/main/wMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

namespace {

QWidget* Window(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == title) {
            return w;
        }
    }
    return nullptr;
}

QTextEdit* Log(QWidget* window) {
    if (auto* chat = qobject_cast<wChat*>(window)) {
        return chat->rtbHistory;
    }
    if (auto* catchAll = qobject_cast<wCatchAll*>(window)) {
        return catchAll->rtbHistory;
    }
    return nullptr;
}

QString Run(wMain& main, const QString& line) {
    const QString command = line.section(u' ', 0, 0);
    const QString rest = line.section(u' ', 1);
    const QString title = rest.section(u'\t', 0, 0);
    const QString text = rest.section(u'\t', 1);
    if (command == u"open"_s) {
        for (QTreeWidgetItem* node :
             main.tvwContacts->findItems(u"*"_s, Qt::MatchWildcard | Qt::MatchRecursive)) {
            if (node->data(0, Qt::UserRole).toString() == rest) {
                main.tvwContacts_NodeDoubleClick(node);
                return u"ok"_s;
            }
        }
        return u"error no node "_s + rest;
    }
    if (command == u"type"_s) {
        auto* chat = qobject_cast<wChat*>(Window(title));
        if (!chat) {
            return u"error no chat window "_s + title;
        }
        chat->rtbChat->setFocus();
        QTest::keyClicks(chat->rtbChat, text);
        QTest::keyClick(chat->rtbChat, Qt::Key_Return);
        return QTest::qWaitFor([chat] { return !chat->Sending(); }, 10000)
                   ? u"ok"_s
                   : u"error still sending"_s;
    }
    if (command == u"close"_s) {
        QWidget* window = Window(title);
        return window && window->close() ? u"ok"_s : u"error cannot close "_s + title;
    }
    if (command == u"wait"_s) {
        QTextEdit* log = nullptr;
        const bool seen = QTest::qWaitFor(
            [&] {
                log = Log(Window(title));
                return log && log->toPlainText().contains(text);
            },
            10000);
        if (!seen) {
            return u"error timeout; "_s + (log ? log->toPlainText() : u"no window"_s);
        }
        return u"ok "_s + log->toPlainText().replace(u'\n', u"\\n"_s);
    }
    if (command == u"status"_s) {
        auto* chat = qobject_cast<wChat*>(Window(title));
        return chat ? u"ok "_s + chat->StatusText() : u"error no chat window "_s + title;
    }
    if (command == u"quit"_s) {
        main.close();
        return u"ok"_s;
    }
    return u"error unknown command "_s + command;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: parlane-peer PROGRAM_DIRECTORY\n";
        return 2;
    }
    ParlaneApp parlane(QString::fromLocal8Bit(argv[1]));
    parlane.Start();
    wMain* main = parlane.MainWindow();
    if (!main) {
        std::cout << "error no main window" << std::endl;
        return 1;
    }
    std::cout << "ready " << parlane.State().StatusText.toStdString() << std::endl;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &input, [&] {
        input.setEnabled(false);
        std::string line;
        if (!std::getline(std::cin, line)) {
            main->close();
            return;
        }
        std::cout << Run(*main, QString::fromStdString(line)).toStdString() << std::endl;
        input.setEnabled(true);
    });
    return app.exec();
}
