// The baseline startup_bench holds Parlane against: the least a Qt Widgets program with one window
// of the main window's size costs.
#include <QApplication>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(u"Bare"_s);
    window.resize(213, 290);
    window.show();
    return QApplication::exec();
}
