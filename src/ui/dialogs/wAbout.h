#pragma once

#include "controls/LinkLabel.h"

#include <QWidget>

class MultiRule;
class QLabel;
class QPushButton;
struct WindowContext;

// Parlane's About window: product, version, build and release, the maker's logo and web site.
// It keeps the About-window flag set while it is open and deletes itself when closed.
class wAbout : public QWidget {
    Q_OBJECT
public:
    // Brings the open window to the front, or makes and loads one.
    static wAbout* Open(WindowContext& context);

    explicit wAbout(WindowContext& context, QWidget* parent = nullptr);

    // "1.05" from major 1 and minor 5; "#012" from revision 12, "#1234" from 1234.
    static QString VersionText(int major, int minor);
    static QString BuildText(int revision);

    void Form_Load();
    void cmdClose_Click();
    void labWebsite_Click();
    void imgOstrellLogo_Click();

    QLabel* labTitle = nullptr;
    QLabel* labH_Version = nullptr;
    QLabel* labVersion = nullptr;
    QLabel* labH_Build = nullptr;
    QLabel* labBuild = nullptr;
    QLabel* labH_Released = nullptr;
    QLabel* labReleased = nullptr;
    QLabel* labClickToVisit = nullptr;
    LinkLabel* labWebsite = nullptr;
    QLabel* imgOstrellLogo = nullptr;
    QLabel* imgOstrell = nullptr;
    QLabel* imgGlobe = nullptr;
    QLabel* imgBottom = nullptr;
    MultiRule* ruleMiddle = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdCheckForUpdate = nullptr;

    static const QString kWebsite;      // the address the shell opens
    static const QString kWebsiteHost;  // the text of labWebsite

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowContext& context_;
};
