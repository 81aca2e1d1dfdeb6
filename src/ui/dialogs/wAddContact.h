#pragma once

#include <QWidget>

class MultiRule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ContactTree;
struct WindowContext;

// The only place where contacts are created: a kind, a name and an address, checked, added to
// the tree and the collections, and saved at once.
class wAddContact : public QWidget {
    Q_OBJECT
public:
    // The open window, or a new one; modeless. Contacts are added to the tree given.
    static wAddContact* Open(WindowContext& context, ContactTree& contacts);

    void cmdAddEntry_Click();

    QLabel* labHeaderBkg = nullptr;
    QLabel* labTitle = nullptr;
    QLabel* labBody = nullptr;
    QLabel* imgTopRightLogo = nullptr;
    QLabel* imgBottom = nullptr;
    MultiRule* ruleTop = nullptr;
    MultiRule* ruleBottom = nullptr;
    QGroupBox* fraEntryType = nullptr;
    QRadioButton* optEntryType[2] = {};
    QLabel* labUserOrMachine = nullptr;
    QLabel* labDomain = nullptr;
    QLabel* imgLogo[2] = {};
    QGroupBox* fraDetails = nullptr;
    QLabel* labH_Name = nullptr;
    QLabel* labName = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* labH_Address = nullptr;
    QLabel* labAddress = nullptr;
    QLineEdit* txtAddress = nullptr;
    QPushButton* cmdAddEntry = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    wAddContact(WindowContext& context, ContactTree& contacts);
    void Form_Load();
    void Form_Unload();
    void optEntryType_Click(int index);
    void Refuse(const QString& prompt, QLineEdit* box);

    WindowContext& context_;
    ContactTree& contacts_;
};
