#pragma once

#include "controls/ContactTreeWidget.h"
#include "controls/PictureBox.h"
#include "platform/Library.h"
#include "ui/main/SystemTray.h"

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class Conversations;
class MailslotListener;
struct WindowContext;

// The contact list window: the program's home. Its load completes start-up and closing it, by
// any route, ends the program. It drives the listener and the tray icon it is given, and opens
// conversations through the conversations object.
class wMain : public QMainWindow {
    Q_OBJECT
public:
    wMain(WindowContext& context, Conversations& conversations, MailslotListener& listener,
          SystemTray& tray, QWidget* parent = nullptr);
    ~wMain() override;

    // Runs once when the window is made, before Form_Load.
    void Form_Initialize();
    // Completes start-up; unloadSplash removes the splash when one is shown.
    void Form_Load(std::function<void()> unloadSplash);

    ContactTree& Contacts() { return *contacts_; }
    // The design's show/hide caption, which is also the window's shown or hidden state.
    QString HideCaption() const;
    QString ShowCaption() const;

    // Handlers, public so that the tray and tests reach them as the platform would.
    void TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason);
    bool tvwContacts_KeyDown(int keyCode);
    void tvwContacts_NodeDoubleClick(QTreeWidgetItem* node);
    // At the pointer unless a place is given.
    void tvwContacts_NodeRightClick(QTreeWidgetItem* node, std::optional<QPoint> at = {});
    void mCONTEXTMENU_REMOVECONTACT_Click();
    void mSYSTRAY_SHOWHIDE_Click();
    void labErrorHelp_Click();

    // Keeps the text as the program's status and repaints the strip at once.
    void SetStatusText(const QString& text);
    void ShowErrorHelp(int errorHelpCode);

    QTreeWidget* tvwContacts = nullptr;
    QList<QIcon> imlImages16;
    std::array<QWidget*, 2> picContainer{};
    PictureBox* picStatus = nullptr;
    QLabel* labStatus = nullptr;
    QLabel* labErrorHelp = nullptr;
    SystemTray::TrayImage imgSysTray;

    QMenu* mFILE = nullptr;
    QAction* mFILE_EXIT = nullptr;
    QMenu* mCONTACTLIST = nullptr;
    QAction* mCONTACTS_ADDCONTACT = nullptr;
    QAction* mCONTACTLIST_ALWAYSONTOP = nullptr;
    QMenu* mTOOLS = nullptr;
    QAction* mTOOLS_SETTINGS = nullptr;
    QMenu* mTOOLS_ADVANCED = nullptr;
    QAction* mTOOLS_ADVANCED_ENABLECOMMUNICATIONS = nullptr;
    QAction* mTOOLS_ADVANCED_DISABLECOMMUNICATIONS = nullptr;
    QMenu* mHELP = nullptr;
    QAction* mHELP_ABOUT = nullptr;
    QMenu* mSYSTRAY = nullptr;
    QAction* mSYSTRAY_SHOWHIDE = nullptr;
    QAction* mSYSTRAY_EXIT = nullptr;
    QMenu* mCONTEXTMENU = nullptr;
    QAction* mCONTEXTMENU_MESSAGEUSER = nullptr;
    QAction* mCONTEXTMENU_SEPARATOR = nullptr;
    QAction* mCONTEXTMENU_REMOVECONTACT = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void Form_Resize();
    void FitStatus();
    void ShowWindowNormal();
    void HideToTray();
    void Form_QueryUnload();
    void UnloadAllWindows();
    void WatchSettingsFile();

    WindowContext& context_;
    Conversations& conversations_;
    MailslotListener& listener_;
    SystemTray& tray_;
    std::unique_ptr<ContactTreeWidget> contacts_;
    QString SelectedNode;  // the key of the node last right-clicked
    platform::ModuleHandle shell32_ = 0;
    bool closed_ = false;
    bool sessionEnding_ = false;  // closing because the session ends, not at the user's word
    QFileSystemWatcher settingsWatcher_;
    QTimer trayWatch_;
};
