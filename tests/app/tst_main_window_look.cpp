// The window as the program draws it, with its theme applied: the font, size and colour
// of each element read back from the widgets and from what they paint, and the close
// button of the start-folder panel in its place.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestMainWindowLook : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void fonts_data();
    void fonts();
    void captions_data();
    void captions();
    void backgrounds_data();
    void backgrounds();
    void panelCloseButton();

private:
    QWidget *element(const QString &name) const;

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
};

void TestMainWindowLook::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("bin")));
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
}

void TestMainWindowLook::init()
{
    m_desktop = std::make_unique<ScriptedDesktop>();
    m_form = std::make_unique<MainWindow>(*m_desktop, QStringList());
    m_form->ui().searchBox->addItems({QStringLiteral("DUPONT Jean"), QStringLiteral("MARTIN")});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestMainWindowLook::cleanup()
{
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    QCOMPARE(failures, QStringList());
}

QWidget *TestMainWindowLook::element(const QString &name) const
{
    const MainWindowUi &ui = m_form->ui();
    if (name == u"window")
        return m_form.get();
    if (name == u"start-folder field")
        return ui.startFolderEdit->lineEdit();
    if (name == u"search box")
        return ui.searchBox->lineEdit();
    if (name == u"search box's drop-down list")
        return ui.searchBox->view();
    if (name == u"search button")
        return ui.searchButton;
    if (name == u"begins-with check box")
        return ui.beginsWithCheck;
    if (name == u"result list")
        return ui.resultList;
    return nullptr;
}

void TestMainWindowLook::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("window") << "window" << 11 << false;
    // The panel's own font, which its field takes.
    QTest::newRow("start-folder field") << "start-folder field" << 11 << false;
    // The box and its list in the same font.
    QTest::newRow("search box") << "search box" << 13 << true;
    QTest::newRow("search box's drop-down list") << "search box's drop-down list" << 13 << true;
    // The window's font.
    QTest::newRow("search button") << "search button" << 11 << false;
    QTest::newRow("begins-with check box") << "begins-with check box" << 11 << false;
    QTest::newRow("result list") << "result list" << 13 << false;
}

// Tahoma where it is installed, a face of the same size and weight where it is not.
void TestMainWindowLook::fonts()
{
    QFETCH(QString, name);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    QWidget *widget = element(name);
    QVERIFY(widget);
    const QFontInfo used = widget->fontInfo();
    QCOMPARE(used.pixelSize(), pixelSize);
    QCOMPARE(used.bold(), bold);
    const QStringList families = widget->font().families();
    QVERIFY2(families.value(0) == u"Tahoma", qPrintable(families.join(u',')));
}

void TestMainWindowLook::captions_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QColor>("band");
    QTest::addColumn<QColor>("text");
    const QColor face = QApplication::palette().color(QPalette::Button);
    QTest::newRow("start folder") << "startFolderPanel" << face << QColor(Qt::black);
    QTest::newRow("search") << "searchPanel" << QColor(0, 0, 255) << QColor(Qt::white);
    QTest::newRow("result list") << "resultPanel" << QColor(0, 128, 0) << QColor(Qt::white);
}

void TestMainWindowLook::captions()
{
    QFETCH(QString, panel);
    QFETCH(QColor, band);
    QFETCH(QColor, text);
    auto *captioned = m_form->findChild<CaptionedPanel *>(panel);
    QVERIFY(captioned);
    const QFontInfo font(captioned->captionFont());
    QCOMPARE(font.pixelSize(), 13);
    QVERIFY(font.bold());
    QCOMPARE(captioned->captionColor(), text);
    // The band as painted: its colour just inside its left edge, before the text.
    const QImage image = captioned->grab().toImage();
    const QRect bandRect = captioned->bandRect();
    QCOMPARE(image.pixelColor(bandRect.left() + 2, bandRect.center().y()), band);
}

void TestMainWindowLook::backgrounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("background");
    const QPalette palette = QApplication::palette();
    QTest::newRow("window") << "window" << palette.color(QPalette::Button);
    QTest::newRow("start-folder field") << "start-folder field" << palette.color(QPalette::Button);
    QTest::newRow("result list") << "result list" << palette.color(QPalette::ToolTipBase);
}

// The colour painted in a place of the element that holds no text.
void TestMainWindowLook::backgrounds()
{
    QFETCH(QString, name);
    QFETCH(QColor, background);
    QWidget *widget = element(name);
    QVERIFY(widget);
    if (auto *list = qobject_cast<QAbstractItemView *>(widget))
        widget = list->viewport();
    const QImage image = widget->grab().toImage();
    // Away from the text, which starts at the left, and from a frame's edges.
    const QPoint inside(widget->width() - 6, widget->height() / 2);
    if (name == u"window")
        QCOMPARE(
            image.pixelColor(m_form->ui().searchPanel->geometry().bottomLeft() + QPoint(1, -2)),
            background);
    else
        QCOMPARE(image.pixelColor(inside), background);
}

void TestMainWindowLook::panelCloseButton()
{
    const MainWindowUi &ui = m_form->ui();
    CaptionedPanel *panel = ui.startFolderPanel;
    QAbstractButton *close = panel->closeButton();
    QVERIFY(close->isVisible());
    // As a window caption's button: the band's height less 3 wide, 2 less high, 2 pixels
    // inside the band's right edge and 3 below its top.
    const QRect band = panel->bandRect();
    QCOMPARE(band.height(), 23);
    QCOMPARE(close->size(), QSize(20, 18));
    QCOMPARE(close->geometry().right(), band.right() - 2);
    QCOMPARE(close->geometry().top(), band.top() + 3);
    // Within the band, clear of the field under it.
    QVERIFY(band.contains(close->geometry()));
    const QRect field(ui.startFolderEdit->mapTo(panel, QPoint(0, 0)), ui.startFolderEdit->size());
    QVERIFY(!close->geometry().intersects(field));
}

QTEST_MAIN(TestMainWindowLook)
#include "tst_main_window_look.moc"
