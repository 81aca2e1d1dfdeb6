#pragma once

#include <QWidget>

#include <array>
#include <memory>

class ContactTreeWidget;
class MultiRule;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
struct WindowContext;

namespace platform {
class ComponentObject;
}

// The application's three on/off options, by section, with a help popup for the main elements
// on a right click. Only Save writes; it then re-skins the windows that are open. It keeps the
// settings-window flag set while it is open and deletes itself when closed.
class wSettings : public QWidget {
    Q_OBJECT
public:
    // The open window, or a new one; modeless.
    static wSettings* Open(WindowContext& context);
    ~wSettings() override;

    // The pane a section key shows; -1 for a key that has none.
    static int PaneForKey(const QString& key);
    // The index of the pane in front.
    int FrontPane() const { return frontPane_; }
    void ShowPane(int index);

    void cmdSave_Click();
    void cmdCancel_Click();

    static const QString kSaveHelp;
    static const QString kCancelHelp;
    static const QString kSectionsHelp;
    // Carries the application's name, so it is made when needed.
    QString SkinningHelp() const;

    static constexpr int kPaneCount = 6;

    QLabel* labBkg = nullptr;
    QLabel* labTitle = nullptr;
    QLabel* labDescription = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* imgTopRightLogo = nullptr;
    QLabel* imgBottom = nullptr;
    MultiRule* ruleHeader = nullptr;
    MultiRule* ruleButtons = nullptr;
    QTreeWidget* tvwSections = nullptr;
    std::array<QFrame*, kPaneCount> picContainer{};
    QCheckBox* chkContactListInterface_MinimiseOnStartup = nullptr;
    QCheckBox* chkContactListInterface_DisplaySplash = nullptr;
    QCheckBox* chkContactListInterface_DesktopNotifications = nullptr;
    QCheckBox* chkEnableApplicationSkinning = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    // The help popup; null when the component could not be bound, and ToolTipError says why.
    std::unique_ptr<platform::ComponentObject> ToolTip;
    QString ToolTipError;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit wSettings(WindowContext& context);
    void Form_Load();
    void ShowHelp(const QString& text);

    WindowContext& context_;
    std::unique_ptr<ContactTreeWidget> sections_;
    int frontPane_ = -1;
};
