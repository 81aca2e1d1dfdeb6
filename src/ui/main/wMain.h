#pragma once

#include "platform/Library.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QTreeWidget;
class TreeWidgetState;

// The contact list window: the program's home. Closing it ends the program.
class wMain : public QMainWindow {
    Q_OBJECT
public:
    explicit wMain(QWidget* parent = nullptr);
    ~wMain() override;

    // Runs once when the window is made, before Form_Load.
    void Form_Initialize();
    // Completes start-up; unloadSplash removes the splash when one is shown.
    void Form_Load(std::function<void()> unloadSplash);

    QTreeWidget* tvwContacts = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void AddGroupNodes();
    void Form_QueryUnload();

    std::unique_ptr<TreeWidgetState> treeState_;
    platform::ModuleHandle shell32_ = 0;
    bool closed_ = false;
};
