// The terminal in each of its languages: the main window, a tree item that opens its window
// whatever text it shows, an editor and a question box; and how the language is chosen.
#include <QtTest>
#include <QtWidgets>

#include "app/cdevtree.h"
#include "app/q275.h"
#include "app/translations.h"
#include "editors/tinprx.h"
#include "windowcase.h"

// What the terminal shows in a language.
struct Shown {
    QLocale locale;
    QString title;       // the main window's, and the question box's
    QString fileMenu;    // the first menu
    QString rxItem;      // the receiver input's tree item and its editor's title
    QString attenuator;  // a group of that editor
    QString question;    // before a configuration with changes is closed
    QStringList answers; // its buttons, sorted
};
Q_DECLARE_METATYPE(Shown)

// A choice under "Опции → Язык", the system's UI languages, and the language spoken.
struct Choice {
    QString chosen{};
    QStringList system{};
    QLocale::Language spoken = QLocale::AnyLanguage;
};
Q_DECLARE_METATYPE(Choice)

class TstLang : public WindowCase
{
    Q_OBJECT

private slots:
    void windows_data()
    {
        QTest::addColumn<Shown>("s");
        // clang-format off
        QTest::newRow("Russian") << Shown{.locale = QLocale(QLocale::Russian), .title = "Терминал адаптера Q-275",
            .fileMenu = "&Файл", .rxItem = "Вход приемника", .attenuator = "Аттенюатор",
            .question = "Конфигурация изменена. Сохранить изменения?", .answers = {"&Не сохранять", "&Отмена", "&Сохранить"}};
        QTest::newRow("English") << Shown{.locale = QLocale(QLocale::English), .title = "Q-275 Terminal",
            .fileMenu = "&File", .rxItem = "Receiver input", .attenuator = "Attenuator",
            .question = "The configuration has changed. Save the changes?", .answers = {"&Cancel", "&Don't Save", "&Save"}};
        // clang-format on
    }
    void windows()
    {
        QFETCH(Shown, s);
        const std::unique_ptr<QTranslator> translation(installTranslations(*qApp, s.locale));
        w = new Q275;
        w->show();
        w->create();
        QCOMPARE(w->windowTitle(), s.title + "[*]");
        QCOMPARE(w->menuBar()->actions().first()->text(), s.fileMenu);
        const QList<QTreeWidgetItem *> items =
            w->deviceTree()->findItems(s.rxItem, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(items.size(), 1);
        w->openItem(items[0], 0);
        const QMdiSubWindow *sw = w->workArea()->activeSubWindow();
        QVERIFY(sw && qobject_cast<TInpRx *>(sw->widget()));
        QCOMPARE(sw->windowTitle(), s.rxItem);
        QCOMPARE(sw->findChild<QGroupBox *>("boxAtt")->title(), s.attenuator);
        w->openWin("Вход приемника"); // the same kind: raised, not opened again
        QCOMPARE(w->workArea()->subWindowList().size(), 1);
        sw->findChild<QDial *>("dialAtt")->setValue(4);
        sw->findChild<QPushButton *>("bSave")->click(); // its kind takes its bytes
        QVERIFY(w->hasChanges());
        w->create(); // asks, and is answered with Escape
        QCOMPARE(modal->seen.size(), 1);
        QCOMPARE(modal->seen[0].title, s.title);
        QCOMPARE(modal->seen[0].text, s.question);
        QStringList answers = modal->seen[0].buttons; // in the order the style lays them out
        answers.sort();
        QCOMPARE(answers, s.answers);
    }

    // The choice under "Опции → Язык" is kept for the next start.
    void languageMenu()
    {
        w = new Q275;
        QAction *system = act("Как в системе"), *english = act("English");
        QVERIFY(system && english && system->isChecked());
        english->trigger();
        QCOMPARE(chosenLanguage(), "en");
        QCOMPARE(w->statusBar()->currentMessage(), "Язык сменится при следующем запуске программы");
        system->trigger();
        QCOMPARE(chosenLanguage(), "");
    }

    void choice_data()
    {
        QTest::addColumn<Choice>("c");
        const auto row = [](const char *name, const Choice &c) { QTest::newRow(name) << c; };
        row("Russian", {.system = {"ru-RU", "ru-Cyrl-RU", "ru"}, .spoken = QLocale::Russian});
        row("no language", {.system = {"C"}, .spoken = QLocale::C});
        row("none named", {.system = {}, .spoken = QLocale::C});
        row("another", {.system = {"de-DE", "de-Latn-DE", "de"}, .spoken = QLocale::English});
        row("Russian second", {.system = {"de-DE", "ru-RU"}, .spoken = QLocale::Russian});
        row("English chosen", {.chosen = "en", .system = {"ru-RU"}, .spoken = QLocale::English});
        row("Russian chosen", {.chosen = "ru", .system = {"en-US"}, .spoken = QLocale::Russian});
    }
    void choice()
    {
        QFETCH(Choice, c);
        QCOMPARE(programLocale(c.chosen, c.system).language(), c.spoken);
    }
};

QTEST_MAIN(TstLang)
#include "tst_lang.moc"
