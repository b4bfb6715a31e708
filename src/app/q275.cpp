#include "app/q275.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextStream>
#include <QTime>
#include <QToolBar>
#include <QTreeWidgetItem>
#include <algorithm>
#include <climits>
#include <cstring>

#include "app/cdevtree.h"
#include "app/clogedit.h"
#include "app/translations.h"
#include "config/obdfile.h"
#include "config/safesave.h"
#include "dialogs/about.h"
#include "dialogs/service.h"
#include "dialogs/tport.h"
#include "editors/tinprx.h"
#include "editors/tinptx.h"
#include "editors/toutput.h"
#include "link/portfile.h"
#include "link/tthread.h"
#include "ops/history.h"
#include "ops/info.h"
#include "ops/load.h"
#include "ops/read.h"
#include "ops/trace.h"
#include "ops/ttest.h"
#include "ops/write.h"

namespace
{
const char kRecentKey[] = "recentFileList";
const char kGeometryKey[] = "geometry";
const char kStateKey[] = "windowState";
const char kVerifyKey[] = "verifyWrites";
const int kStatusTime = 2000;
const char kDamaged[] = QT_TRANSLATE_NOOP("Q275", "Конфигурация адаптера Q-275 повреждена");

// The program's own title: the main window's without the file, and every message box's.
QString programTitle()
{
    return Q275::tr("Терминал адаптера Q-275");
}

// One answer of a question box.
struct Choice {
    QString text;
    QMessageBox::ButtonRole role;
};

// Asks a question in the program's name. The first answer is the default, the last the
// Escape answer; returns the index of the one given.
int ask(QWidget *parent, const QString &question, std::initializer_list<Choice> choices)
{
    QMessageBox box(QMessageBox::Question, programTitle(), question, QMessageBox::NoButton, parent);
    QList<QPushButton *> buttons;
    for (const Choice &c : choices)
        buttons << box.addButton(c.text, c.role);
    box.setDefaultButton(buttons.first());
    box.setEscapeButton(buttons.last());
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

// Work-window kinds, the keys of the routing: openWin() takes them, each tree item and each
// sub-window carries its own (KindRole, kKindProperty). Only their translations are shown, in
// the tree and as the sub-windows' titles.
QString key(const char *text)
{
    return QString::fromUtf8(text);
}
const QString kRead = key(QT_TRANSLATE_NOOP("Q275", "Прочитать"));
const QString kTest = key(QT_TRANSLATE_NOOP("Q275", "Проверить"));
const QString kWrite = key(QT_TRANSLATE_NOOP("Q275", "Записать"));
const QString kLoad = key(QT_TRANSLATE_NOOP("Q275", "Загрузить ПО"));
const QString kTrace = key(QT_TRANSLATE_NOOP("Q275", "Трассировка"));
const QString kInfo = key(QT_TRANSLATE_NOOP("Q275", "Информация"));
const QString kRxIn = key(QT_TRANSLATE_NOOP("Q275", "Вход приемника"));
const QString kMicIn = key(QT_TRANSLATE_NOOP("Q275", "Вход микрофона"));
const QString kOut = key(QT_TRANSLATE_NOOP("Q275", "Выход адаптера"));
const QString kAbout = key(QT_TRANSLATE_NOOP("Q275", "О программе"));
const QString kHistory = key(QT_TRANSLATE_NOOP("Q275", "История плат"));
// The tree's group items, which open nothing.
const QString kTasks = key(QT_TRANSLATE_NOOP("Q275", "Задачи"));
const QString kAdapter = key(QT_TRANSLATE_NOOP("Q275", "Адаптер"));
const QString kMonitor = key(QT_TRANSLATE_NOOP("Q275", "Монитор"));
const int KindRole = Qt::UserRole;
const char kKindProperty[] = "q275Kind";

// A kind as the user reads it.
QString shown(const QString &kind)
{
    return Q275::tr(kind.toUtf8().constData());
}

// The kind of a work-area sub-window.
QString kindOf(const QMdiSubWindow *sw)
{
    return sw->property(kKindProperty).toString();
}

// The bytes of the configuration each channel editor works on: copied into workCopy when
// the editor opens, and back into the configuration when it closes with success.
struct EditorPart {
    const QString &kind;
    void (*copy)(TQ275 &dst, const TQ275 &src);
};
const EditorPart editorParts[] = {
    {kRxIn, &TQ275::copyRxPart},
    {kMicIn, &TQ275::copyMicPart},
    {kOut, &TQ275::copyOutPart},
};

// The part of a window kind; null for a window that edits no bytes of the record.
const EditorPart *editorPart(const QString &kind)
{
    for (const EditorPart &p : editorParts) {
        if (p.kind == kind)
            return &p;
    }
    return nullptr;
}

} // namespace

Q275::Q275(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    thread = new TThread();

    mdiArea = new QMdiArea;
    mdiArea->setAttribute(Qt::WA_DeleteOnClose);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);

    createActions();
    createMenus();
    createToolBars();
    createLogDock();
    portLabel = new QLabel(this);
    statusBar()->addPermanentWidget(portLabel);

    showTitle();
    setWindowIcon(QIcon(QStringLiteral(":/images/chip.ico")));
    setMinimumSize(150, 200);
    resize(800, 600);
    restoreLayout();

    svcMode = 1;
    userAct->setChecked(true);

    // A port file that is there but cannot be read is said plainly; an absent one is not.
    QString portProblem;
    portName = PortFile::read(&portProblem);
    if (!portProblem.isEmpty())
        log(portProblem);
    showPort();
    thread->setMode(svcMode);
    thread->setPort(portName);
}

Q275::~Q275()
{
    // The work windows go first, while the thread they talk to is still there (a trace
    // monitor switches the trace off as it goes); a read's window must not reach back here.
    disconnect(readGone);
    qDeleteAll(mdiArea->subWindowList());
    // closeEvent normally stopped the worker already; this covers a window that is
    // destroyed without being closed.
    disconnect(thread, nullptr, this, nullptr);
    if (stopThread()) {
        delete thread;
    } else {
        // Let go: the worker ends by itself once the line gives way (or with the program).
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        if (thread->isFinished())
            delete thread;
    }
    delete[] romData;
}

bool Q275::stopThread()
{
    if (!stopAsked) {
        stopAsked = true;
        thread->requestStop();
        // The task under way ends at its next step; a worker still held by a line that
        // does not answer (a write that cannot drain) is left to end with the program.
        thread->wait(QDeadlineTimer(TThread::StopWaitMs));
    }
    return !thread->isRunning();
}

QString Q275::currentFileName() const
{
    return curFile ? curFile->fileName() : QString();
}

void Q275::createActions()
{
    // Every action of the window: what it reads, its icon, key, status tip and what it runs.
    using Run = void (*)(Q275 *);
    struct Row {
        QAction *Q275::*action;
        const char *text;
        const char *icon;
        QKeySequence::StandardKey key;
        const char *tip;
        Run run;
    };
    // clang-format off
    static const Row rows[] = {
        {&Q275::createAct, QT_TR_NOOP("&Создать"), ":/images/page.png", QKeySequence::New, QT_TR_NOOP("Cоздать файл конфигурации устройства"), [](Q275 *w) { w->create(); }},
        {&Q275::openAct, QT_TR_NOOP("&Открыть"), ":/images/open.png", QKeySequence::Open, QT_TR_NOOP("Открыть файл конфигурации устройства"), [](Q275 *w) { w->open(); }},
        {&Q275::saveAct, QT_TR_NOOP("&Сохранить"), ":/images/save.png", QKeySequence::Save, QT_TR_NOOP("Сохранить файл конфигурации устройства"), [](Q275 *w) { w->save(); }},
        {&Q275::saveAsAct, QT_TR_NOOP("&Сохранить как"), ":/images/save_as.png", QKeySequence::SaveAs, QT_TR_NOOP("Сохранить файл конфигурации устройства как..."), [](Q275 *w) { w->saveAs(); }},
        {&Q275::historyAct, QT_TR_NOOP("&История плат..."), nullptr, QKeySequence::UnknownKey, QT_TR_NOOP("Конфигурации, прочитанные из плат и записанные в них"), [](Q275 *w) { w->history(); }},
        {&Q275::shutAct, QT_TR_NOOP("&Закрыть..."), nullptr, QKeySequence::Close, QT_TR_NOOP("Закрыть файл конфигурации устройства"), [](Q275 *w) { w->shut(); }},
        {&Q275::exitAct, QT_TR_NOOP("&Выход"), nullptr, QKeySequence::Quit, QT_TR_NOOP("Выйти из программы"), [](Q275 *w) { w->close(); }},
        {&Q275::readAct, QT_TR_NOOP("&Прочитать"), ":/images/read.bmp", QKeySequence::UnknownKey, QT_TR_NOOP("Прочитать конфигурацию из устройства"), [](Q275 *w) { w->read(); }},
        {&Q275::testAct, QT_TR_NOOP("&Проверить"), ":/images/test.bmp", QKeySequence::UnknownKey, QT_TR_NOOP("Проверить конфигурацию из устройства"), [](Q275 *w) { w->test(); }},
        {&Q275::writeAct, QT_TR_NOOP("&Записать"), ":/images/write.bmp", QKeySequence::UnknownKey, QT_TR_NOOP("Записать конфигурацию в устройство"), [](Q275 *w) { w->write(); }},
        {&Q275::userAct, QT_TR_NOOP("&Пользовательский"), nullptr, QKeySequence::UnknownKey, QT_TR_NOOP("Установить пользовательский режим"), [](Q275 *w) { w->user(); }},
        {&Q275::serviceAct, QT_TR_NOOP("&Сервис"), ":/images/service.bmp", QKeySequence::UnknownKey, QT_TR_NOOP("Установить сервисный режим"), [](Q275 *w) { w->service(); }},
        {&Q275::portAct, QT_TR_NOOP("&СОМ Порт"), ":/images/connect.png", QKeySequence::UnknownKey, QT_TR_NOOP("Установка COM порта"), [](Q275 *w) { w->port(); }},
        {&Q275::aboutAct, QT_TR_NOOP("&О программе"), ":/images/help.png", QKeySequence::UnknownKey, QT_TR_NOOP("Информация о версии программы"), [](Q275 *w) { w->about(); }},
        {&Q275::closeAct, QT_TR_NOOP("Закрыть"), ":/images/delete.png", QKeySequence::UnknownKey, QT_TR_NOOP("Закрыть активное окно"), [](Q275 *w) { w->mdiArea->closeActiveSubWindow(); }},
        {&Q275::closeAllAct, QT_TR_NOOP("Закрыть все"), ":/images/close.png", QKeySequence::UnknownKey, QT_TR_NOOP("Закрыть все окна"), [](Q275 *w) { w->mdiArea->closeAllSubWindows(); }},
        {&Q275::tileAct, QT_TR_NOOP("Развернуть"), ":/images/win.png", QKeySequence::UnknownKey, QT_TR_NOOP("Развернуть все окна"), [](Q275 *w) { w->mdiArea->tileSubWindows(); }},
        {&Q275::cascadeAct, QT_TR_NOOP("Каскадом"), ":/images/multiple.png", QKeySequence::UnknownKey, QT_TR_NOOP("Каскад окон"), [](Q275 *w) { w->mdiArea->cascadeSubWindows(); }},
        {&Q275::saveLogAct, QT_TR_NOOP("Сохранить журнал..."), nullptr, QKeySequence::UnknownKey, QT_TR_NOOP("Сохранить журнал программы в текстовый файл, старые строки первыми"), [](Q275 *w) { w->saveLog(); }},
        {&Q275::clearLogAct, QT_TR_NOOP("Очистить журнал"), nullptr, QKeySequence::UnknownKey, QT_TR_NOOP("Удалить все строки журнала программы"), [](Q275 *w) { w->logEdit->clear(); }},
    };
    // clang-format on
    for (const Row &row : rows) {
        QAction *a = new QAction(tr(row.text), this);
        if (row.icon)
            a->setIcon(QIcon(QString::fromLatin1(row.icon)));
        if (row.key != QKeySequence::UnknownKey)
            a->setShortcuts(row.key);
        a->setStatusTip(tr(row.tip));
        connect(a, &QAction::triggered, this, [this, run = row.run] { run(this); });
        this->*row.action = a;
    }
    userAct->setCheckable(true);
    userAct->setChecked(true);
    setConfigActions(false);

    for (QAction *&a : recentActs) {
        a = new QAction(this);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, &Q275::openRecentFile);
    }
}

void Q275::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&Файл"));
    fileMenu->addAction(createAct);
    fileMenu->addAction(openAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveAct);
    fileMenu->addAction(saveAsAct);
    fileMenu->addAction(historyAct);
    recentSep = fileMenu->addSeparator();
    for (QAction *a : recentActs)
        fileMenu->addAction(a);
    fileMenu->addSeparator();
    fileMenu->addAction(shutAct);
    fileMenu->addAction(exitAct);
    refreshRecent();
    menuBar()->addSeparator();

    taskMenu = menuBar()->addMenu(tr("&Задачи"));
    taskMenu->addAction(readAct);
    taskMenu->addAction(testAct);
    taskMenu->addAction(writeAct);
    menuBar()->addSeparator();

    optMenu = menuBar()->addMenu(tr("&Опции"));
    optMenu->addAction(portAct);
    optMenu->addSeparator();
    optMenu->addAction(userAct);
    optMenu->addAction(serviceAct);
    optMenu->addSeparator();
    createVerifyOption();
    optMenu->addSeparator();
    createLanguageMenu();
    menuBar()->addSeparator();

    winMenu = menuBar()->addMenu(tr("Окно"));
    winMenu->addAction(closeAct);
    winMenu->addAction(closeAllAct);
    winMenu->addSeparator();
    winMenu->addAction(tileAct);
    winMenu->addAction(cascadeAct);
    menuBar()->addSeparator();

    helpMenu = menuBar()->addMenu(tr("&Справка"));
    helpMenu->addAction(aboutAct);
}

void Q275::createLanguageMenu()
{
    // The system's choice, or a language by its own name.
    const QPair<QString, QString> languages[] = {
        {QString(), tr("Как в системе")},
        {QStringLiteral("ru"), QStringLiteral("Русский")},
        {QStringLiteral("en"), QStringLiteral("English")},
    };
    const QString tip = tr("Язык программы: меняется при следующем запуске");
    QMenu *menu = optMenu->addMenu(tr("&Язык"));
    menu->menuAction()->setStatusTip(tip);
    auto *group = new QActionGroup(menu);
    const QString chosen = chosenLanguage();
    for (const auto &[code, name] : languages) {
        QAction *a = group->addAction(name);
        a->setCheckable(true);
        a->setChecked(code == chosen);
        a->setStatusTip(tip);
        connect(a, &QAction::triggered, this, [this, code = code] {
            setChosenLanguage(code);
            statusBar()->showMessage(tr("Язык сменится при следующем запуске программы"),
                                     kStatusTime);
        });
    }
    menu->addActions(group->actions());
}

void Q275::createVerifyOption()
{
    QAction *verify = optMenu->addAction(tr("Проверять запись чтением"));
    verify->setObjectName(QStringLiteral("verifyAct"));
    verify->setCheckable(true);
    verify->setStatusTip(
        tr("После записи конфигурация читается из платы и сравнивается с записанной"));
    verify->setChecked(QSettings().value(QString::fromLatin1(kVerifyKey), false).toBool());
    thread->setVerifyWrites(verify->isChecked());
    connect(verify, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QString::fromLatin1(kVerifyKey), on);
        thread->setVerifyWrites(on);
    });
}

void Q275::createToolBars()
{
    fileToolBar = addToolBar(tr("Файл"));
    fileToolBar->setObjectName(QStringLiteral("fileToolBar"));
    fileToolBar->addAction(createAct);
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);
    fileToolBar->addAction(saveAsAct);

    taskToolBar = addToolBar(tr("Задачи"));
    taskToolBar->setObjectName(QStringLiteral("taskToolBar"));
    taskToolBar->addAction(readAct);
    taskToolBar->addAction(testAct);
    taskToolBar->addAction(writeAct);
}

void Q275::createLogDock()
{
    logDock = new QDockWidget(tr("Лог программы"), this);
    logDock->setObjectName(QStringLiteral("logDock"));
    logEdit = new CLogEdit(logDock);
    logEdit->setReadOnly(true);
    logEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(logEdit, &QWidget::customContextMenuRequested, this, &Q275::showLogMenu);
    logDock->setWidget(logEdit);
    logDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea |
                             Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);

    connect(this, &Q275::mes, this, &Q275::log);
    connect(thread, &TThread::mes, this, &Q275::log);
}

void Q275::log(QString text)
{
    if (!logEdit)
        return;
    QTextCursor cursor = logEdit->textCursor();
    cursor.movePosition(QTextCursor::Start);
    logEdit->setTextCursor(cursor);
    logEdit->insertPlainText(QTime::currentTime().toString(Qt::TextDate) + QStringLiteral("-> ") +
                             text + QLatin1Char('\r'));
}

void Q275::showLogMenu(const QPoint &pos)
{
    std::unique_ptr<QMenu> menu(logEdit->createStandardContextMenu(pos));
    menu->addSeparator();
    menu->addAction(saveLogAct);
    menu->addAction(clearLogAct);
    menu->exec(logEdit->viewport()->mapToGlobal(pos));
}

void Q275::saveLog()
{
    const QString name = QFileDialog::getSaveFileName(this, tr("Сохранить журнал"), QString(),
                                                      tr("Текстовые файлы (*.txt);;Все файлы (*)"));
    if (name.isEmpty())
        return;
    // The pane shows the newest line first; a file reads from the start.
    QStringList lines = logEdit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::reverse(lines.begin(), lines.end());
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    if (saveFile(name, text.toUtf8()))
        statusBar()->showMessage(tr("Файл сохранен"), kStatusTime);
}

// ---- the window as the user left it ---------------------------------------------------------

void Q275::restoreLayout()
{
    // Nothing stored yet (the first start): the size set before stays.
    QSettings settings;
    restoreGeometry(settings.value(QString::fromLatin1(kGeometryKey)).toByteArray());
    restoreState(settings.value(QString::fromLatin1(kStateKey)).toByteArray());
}

void Q275::saveLayout()
{
    QSettings settings;
    settings.setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
    settings.setValue(QString::fromLatin1(kStateKey), saveState());
}

void Q275::showPort()
{
    portLabel->setText(portName.isEmpty() ? tr("Порт не выбран") : tr("Порт: %1").arg(portName));
}

// ---- recent files ---------------------------------------------------------------------------

void Q275::refreshRecent()
{
    const QStringList files = QSettings().value(QString::fromLatin1(kRecentKey)).toStringList();
    const int n = qMin(int(files.size()), int(MaxRecent));
    for (int i = 0; i < n; ++i) {
        recentActs[i]->setText(tr("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        recentActs[i]->setData(files[i]);
        recentActs[i]->setVisible(true);
    }
    for (int i = n; i < MaxRecent; ++i)
        recentActs[i]->setVisible(false);
    recentSep->setVisible(n > 0);
}

void Q275::rememberFile(const QString &path)
{
    setWindowFilePath(path);
    QSettings settings;
    QStringList files = settings.value(QString::fromLatin1(kRecentKey)).toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecent)
        files.removeLast();
    settings.setValue(QString::fromLatin1(kRecentKey), files);
    refreshRecent();
}

// ---- file commands --------------------------------------------------------------------------

void Q275::setCurrentFile(const QString &path)
{
    curFile = std::make_unique<QFile>(path);
    showTitle();
}

void Q275::showTitle()
{
    QString title = programTitle();
    if (curFile)
        title += QStringLiteral(" — ") + QFileInfo(curFile->fileName()).fileName();
    setWindowTitle(title + QStringLiteral("[*]"));
}

void Q275::warn(const QString &text)
{
    QMessageBox::warning(this, programTitle(), text, QMessageBox::Ok);
}

void Q275::create()
{
    if (config && !askClose())
        return;
    config = std::make_unique<TQ275>(TQ275::newRecord()); // checksum included
    emit mes(tr("Создана новая конфигурация адаптера Q-275 "));
    showTree();
}

void Q275::open()
{
    if (config && !askClose())
        return;
    const QString name = askFileName(false);
    if (!name.isEmpty())
        openFile(name);
}

void Q275::openFile(const QString &path)
{
    const QFileInfo file(path);
    setCurrentFile(file.isRelative() ? file.absoluteFilePath() : path);
    readFile();
}

void Q275::openRecentFile()
{
    if (config && !askClose())
        return;
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const QString path = action->data().toString();
    if (!path.isEmpty())
        openFile(path);
}

void Q275::save()
{
    saveConfig();
}

void Q275::saveAs()
{
    saveConfigAs();
}

bool Q275::saveConfig()
{
    return curFile ? writeFile() : saveConfigAs();
}

bool Q275::saveConfigAs()
{
    const QString name = askFileName(true);
    if (name.isEmpty())
        return false;
    setCurrentFile(name);
    return writeFile();
}

QString Q275::askFileName(bool forSaving)
{
    // "*" rather than "*.*": a name without a dot must show too.
    const QString filter = tr("Файл функциональной платы Q275(*.obd);;Все файлы (*)");
    return forSaving ? QFileDialog::getSaveFileName(this, tr("Сохранить файл"), QString(), filter)
                     : QFileDialog::getOpenFileName(this, tr("Открыть файл"), QString(), filter);
}

void Q275::shut()
{
    // Without changes nothing is asked; with them the edit is not dropped unasked.
    if (hasChanges() && !settleChanges())
        return;
    curFile.reset();
    showTitle();
    if (config)
        closeConfig();
}

bool Q275::writeFile()
{
    if (!config || !curFile)
        return false;
    const QString name = curFile->fileName();
    if (!saveFile(name, ObdFile::image(*config)))
        return false;
    setChanged(false);
    rememberFile(name);
    statusBar()->showMessage(tr("Файл сохранен"), kStatusTime);
    emit mes(ObdFile::savedMessage(name));
    return true;
}

bool Q275::saveFile(const QString &name, const QByteArray &data)
{
    const SafeSave::Result result = SafeSave::save(name, data);
    if (result != SafeSave::Saved)
        warn(SafeSave::message(result, name));
    return result == SafeSave::Saved;
}

void Q275::readFile()
{
    loadFile(curFile->fileName(), true);
}

void Q275::openEntry(const QString &path)
{
    // As opening a file, but the entry is read and checked before the current configuration
    // is closed for it: a damaged or unreadable entry leaves that as it is. The entry stays
    // out of the recent files and is not the file that "Сохранить" writes to.
    std::unique_ptr<TQ275> entry = readConfigFile(path);
    if (!entry)
        return;
    if (!entry->isValid()) {
        emit mes(tr(kDamaged));
        return;
    }
    if (config && !askClose())
        return;
    takeConfig(std::move(entry), path, false);
}

void Q275::loadFile(const QString &name, bool remember)
{
    if (std::unique_ptr<TQ275> rec = readConfigFile(name))
        takeConfig(std::move(rec), name, remember);
}

std::unique_ptr<TQ275> Q275::readConfigFile(const QString &name)
{
    auto rec = std::make_unique<TQ275>();
    const ObdFile::Result result = ObdFile::load(name, rec.get());
    if (result == ObdFile::Ok)
        return rec;
    warn(ObdFile::message(result, name));
    return nullptr;
}

void Q275::takeConfig(std::unique_ptr<TQ275> rec, const QString &name, bool remember)
{
    config = std::move(rec);
    if (remember)
        rememberFile(name);
    statusBar()->showMessage(tr("Файл открыт"), kStatusTime);
    emit mes(tr("Загружена конфигурация из файла: %1 (%2 байт)")
                 .arg(QDir::toNativeSeparators(name), QString::number(ObdFile::Size)));
    showTree();
}

// ---- configuration and tree -----------------------------------------------------------------

bool Q275::askClose()
{
    // A configuration with changes is asked about those instead.
    const bool goOn =
        hasChanges()
            ? settleChanges()
            : ask(this, tr("Закрыть текущее устройство"),
                  {{tr("&Да"), QMessageBox::YesRole}, {tr("&Нет"), QMessageBox::NoRole}}) == 0;
    if (goOn)
        closeConfig();
    return goOn;
}

void Q275::setChanged(bool on)
{
    changed = on;
    setWindowModified(on);
}

void Q275::changeEvent(QEvent *event)
{
    // A work-area sub-window sets the main window's mark as it closes or is restored from
    // maximised: the mark stays the configuration's.
    if (event->type() == QEvent::ModifiedChange && isWindowModified() != changed)
        setWindowModified(changed);
    QMainWindow::changeEvent(event);
}

bool Q275::settleChanges()
{
    enum { Save, Discard, Cancel };
    switch (ask(this, tr("Конфигурация изменена. Сохранить изменения?"),
                {{tr("&Сохранить"), QMessageBox::AcceptRole},
                 {tr("&Не сохранять"), QMessageBox::DestructiveRole},
                 {tr("&Отмена"), QMessageBox::RejectRole}})) {
    case Save:
        return saveConfig();
    case Discard:
        return true;
    default:
        return false;
    }
}

void Q275::setConfigActions(bool on)
{
    saveAct->setEnabled(on);
    saveAsAct->setEnabled(on);
    writeAct->setEnabled(on);
    testAct->setEnabled(on);
}

void Q275::closeConfig()
{
    mdiArea->closeAllSubWindows();
    if (devTree)
        devTree->clear();
    setConfigActions(false);
    pendingRead = 0; // a read under way gives up its record here, not when its window goes
    config.reset();
    setChanged(false); // a configuration that comes next starts without changes
}

// The items of the tree for the configuration and the mode: each carries the kind of the window
// it opens.
void Q275::fillTree()
{
    auto item = [](QTreeWidgetItem *parent, const QString &kind, const char *icon,
                   const QString &tip) {
        auto *it = new QTreeWidgetItem(parent);
        it->setText(0, shown(kind));
        it->setData(0, KindRole, kind);
        it->setIcon(0, QIcon(QString::fromLatin1(icon)));
        if (!tip.isEmpty())
            it->setToolTip(0, tip);
        return it;
    };
    auto top = [this, &item](const QString &kind, const char *icon, const QString &tip) {
        QTreeWidgetItem *it = item(nullptr, kind, icon, tip);
        devTree->addTopLevelItem(it);
        return it;
    };

    QTreeWidgetItem *tasks = top(kTasks, ":/images/task.png", tr("Список операций адаптера Q-275"));
    item(tasks, kRead, ":/images/read.bmp", tr("Прочитать конфигурацию адаптера"));
    item(tasks, kTest, ":/images/test.bmp", tr("Проверить конфигурацию адаптера"));
    item(tasks, kWrite, ":/images/write.bmp", tr("Записать конфигурацию адаптера"));
    QTreeWidgetItem *adapter =
        top(kAdapter, ":/images/device.png", tr("Список интерфейсов адаптера"));
    item(adapter, kRxIn, ":/images/transmit.png", tr("Канал сигнала приемника радиостанции"));
    item(adapter, kMicIn, ":/images/mic.png", tr("Канал сигнала микрофона радиостанции"));
    item(adapter, kOut, ":/images/sound.png", tr("Уровни выходных сигналов адаптера"));
    if (config->infoFlag)
        top(kInfo, ":/images/info.png", tr("Информация о версии адаптера"));
    if (svcMode == 5 || svcMode == 10) {
        QTreeWidgetItem *monitor = top(kMonitor, ":/images/monitor.png", QString());
        item(monitor, kTrace, ":/images/trace.png", QString());
    }
    top(kInfo, ":/images/info.png", QString());
}

void Q275::showTree()
{
    userAct->setChecked(svcMode == 1);
    if (!config)
        return;
    if (!config->isValid()) {
        emit mes(tr(kDamaged));
        config.reset();
        return;
    }
    workCopy = *config;
    if (!devTree) {
        devTree = new CDevTree;
        devTree->setHeaderHidden(true);
        connect(devTree, &QTreeWidget::itemActivated, this, &Q275::openItem);
    }
    fillTree();
    showTreeDock();
    emit mes(tr("Загружена конфигурация адаптера Q-275"));
    setConfigActions(true);
}

void Q275::showTreeDock()
{
    const bool newDock = !treeDock;
    if (newDock) {
        treeDock = new QDockWidget(tr(" Q-275"), this);
        treeDock->setObjectName(QStringLiteral("treeDock"));
    }
    treeDock->setWidget(devTree);
    treeDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea |
                              Qt::BottomDockWidgetArea);
    // A new dock goes where the user left it the last run, else to the left; one that is
    // there already stays where the user put it.
    if (newDock && !restoreDockWidget(treeDock))
        addDockWidget(Qt::LeftDockWidgetArea, treeDock);
}

// ---- modes ----------------------------------------------------------------------------------

void Q275::user()
{
    userAct->setChecked(true);
    if (svcMode == 1)
        return;
    svcMode = 1;
    applyMode();
}

void Q275::service()
{
    int mode = 0;
    {
        Service dlg(this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        mode = dlg.mode();
    }
    if (mode == svcMode)
        return;
    svcMode = mode;
    applyMode();
}

void Q275::applyMode()
{
    mdiArea->closeAllSubWindows();
    dropPendingRead();
    if (devTree) {
        disconnect(devTree, &QTreeWidget::itemActivated, this, &Q275::openItem);
        devTree->close();
        delete devTree;
        devTree = nullptr;
    }
    if (treeDock) {
        treeDock->close();
        delete treeDock;
        treeDock = nullptr;
    }
    saveAct->setEnabled(false);
    saveAsAct->setEnabled(false);
    writeAct->setEnabled(false);
    showTree();
    thread->setMode(svcMode);
}

void Q275::port()
{
    QString chosen;
    {
        TPort dlg(this, portName);
        if (dlg.exec() != QDialog::Accepted)
            return;
        chosen = dlg.portName();
    }
    portName = chosen;
    thread->setPort(portName);
    // A file that cannot be created stays unmentioned; one that takes the name only
    // partly would lose the port the next start, so that is said.
    if (PortFile::write(portName) == SafeSave::WriteFailed)
        warn(SafeSave::message(SafeSave::WriteFailed, PortFile::fileName()));
    showPort();
}

// ---- window routing -------------------------------------------------------------------------

void Q275::read()
{
    openWin(kRead);
}

void Q275::write()
{
    openWin(kWrite);
}

void Q275::test()
{
    openWin(kTest);
}

void Q275::load()
{
    openWin(kLoad);
}

void Q275::about()
{
    openWin(kAbout);
}

void Q275::history()
{
    openWin(kHistory);
}

void Q275::openItem(QTreeWidgetItem *item, int column)
{
    if (!item || column != 0)
        return;
    openWin(item->data(0, KindRole).toString());
}

void Q275::openWin(QString mode)
{
    // At most one window of each kind: an open one is raised.
    const QList<QMdiSubWindow *> windows = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sw : windows) {
        if (kindOf(sw) == mode) {
            mdiArea->setActiveSubWindow(sw);
            return;
        }
    }

    using Maker = TWorkWindow *(Q275::*)(const QString &kind);
    const QPair<QString, Maker> makers[] = {
        {kRead, &Q275::makeRead},   {kTest, &Q275::makeTest},       {kWrite, &Q275::makeWrite},
        {kLoad, &Q275::makeLoad},   {kRxIn, &Q275::makeEditor},     {kMicIn, &Q275::makeEditor},
        {kOut, &Q275::makeEditor},  {kInfo, &Q275::makeInfo},       {kTrace, &Q275::makeTrace},
        {kAbout, &Q275::makeAbout}, {kHistory, &Q275::makeHistory},
    };
    TWorkWindow *w = nullptr;
    for (const auto &[kind, make] : makers) {
        if (kind == mode) {
            w = (this->*make)(kind);
            break;
        }
    }
    if (!w)
        return; // a group item of the tree, or a window that has nothing to work on

    connect(w, &TWorkWindow::reqClose, this, &Q275::closeWin);
    w->setWindowTitle(shown(mode));
    const QSize form = w->size(); // as its form lays it out
    QMdiSubWindow *sw = mdiArea->addSubWindow(w);
    sw->setProperty(kKindProperty, mode);
    fitSubWindow(sw, form);
    sw->show();
}

void Q275::fitSubWindow(QMdiSubWindow *sw, const QSize &form)
{
    // Not adjustSize(): a sub-window's size hint is its form's layout's wish, which for the
    // editors is far wider than their fixed forms (705 pixels around a 400-pixel form). Sized
    // before it is shown, the work area places it inside; a form that may shrink is made
    // small enough to fit.
    const QSize framed = form.grownBy(sw->contentsMargins());
    sw->resize(framed.boundedTo(mdiArea->viewport()->size()).expandedTo(sw->minimumSizeHint()));
}

// ---- the work windows, one maker per kind ----------------------------------------------------

TWorkWindow *Q275::makeRead(const QString &)
{
    if (config && !askClose())
        return nullptr;
    // The record starts zero-filled; the Read window fills it when the board answers. It is
    // kept only through closeWin(true): however else the window goes, the record goes with it.
    config = std::make_unique<TQ275>();
    TWorkWindow *w = new Read(thread, config.get());
    const quint64 read = ++readSerial;
    pendingRead = read;
    disconnect(readGone);
    readGone = connect(w, &QObject::destroyed, this, [this, read] {
        if (pendingRead == read)
            dropPendingRead();
    });
    return w;
}

TWorkWindow *Q275::makeTest(const QString &)
{
    if (!config)
        return nullptr;
    // The configuration with what the open editors show, saved or not.
    TQ275 copy = *config;
    const QList<QMdiSubWindow *> windows = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sw : windows) {
        const QString kind = kindOf(sw);
        if (kind == kRxIn) {
            if (auto *ed = qobject_cast<TInpRx *>(sw->widget()))
                ed->Store(&copy.switching, copy.rx);
        } else if (kind == kMicIn) {
            if (auto *ed = qobject_cast<TInpTx *>(sw->widget()))
                ed->Store(&copy.switching, copy.mic);
        } else if (kind == kOut) {
            if (auto *ed = qobject_cast<TOutput *>(sw->widget()))
                ed->Store(copy.rx + 6, copy.mic + 6);
        }
    }
    copy.updateChecksum();
    return new TTest(thread, &copy);
}

TWorkWindow *Q275::makeWrite(const QString &)
{
    if (!config)
        return nullptr;
    config->updateChecksum();
    written = *config;
    return new Write(thread, config.get());
}

TWorkWindow *Q275::makeLoad(const QString &)
{
    const QString name = QFileDialog::getOpenFileName(this, tr("Открыть файл"), QString(),
                                                      tr("ПО контроллера (*.rom);;Все файлы (*)"));
    if (name.isEmpty())
        return nullptr;
    const QString problem = readRom(name);
    if (!problem.isEmpty()) {
        warn(problem);
        return nullptr;
    }
    TWorkWindow *w = new Load(thread, romData, romSize);
    romData = nullptr; // the Load window owns the image now
    romSize = 0;
    return w;
}

QString Q275::readRom(const QString &name)
{
    QFile file(name);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return tr("Файл %1 не удалось открыть.").arg(QDir::toNativeSeparators(name));
    const QString readFailed =
        tr("Файл %1 не удалось прочитать.").arg(QDir::toNativeSeparators(name));
    const qint64 size = file.size();
    if (size > INT_MAX)
        return readFailed;
    delete[] romData;
    romData = new quint8[size > 0 ? size : 1];
    const qint64 got = file.read(reinterpret_cast<char *>(romData), size);
    romSize = int(qMax<qint64>(got, 0));
    if (got == size)
        return QString();
    delete[] romData;
    romData = nullptr;
    romSize = 0;
    return readFailed;
}

TWorkWindow *Q275::makeEditor(const QString &kind)
{
    if (!config)
        return nullptr;
    // The editor works on workCopy, which gets its part of the configuration first.
    editorPart(kind)->copy(workCopy, *config);
    if (kind == kRxIn)
        return new TInpRx(thread, &workCopy, workCopy.rx, svcMode);
    if (kind == kMicIn)
        return new TInpTx(thread, &workCopy, workCopy.mic, svcMode);
    return new TOutput(thread, workCopy.rx + 6, workCopy.mic + 6, svcMode);
}

TWorkWindow *Q275::makeInfo(const QString &)
{
    return new Info(thread, quint8(svcMode));
}

TWorkWindow *Q275::makeTrace(const QString &)
{
    return new Trace(this, thread);
}

TWorkWindow *Q275::makeAbout(const QString &)
{
    return new About(this);
}

TWorkWindow *Q275::makeHistory(const QString &)
{
    auto *h = new History([this] { return config.get(); });
    connect(h, &History::openEntry, this, &Q275::openEntry);
    return h;
}

QMdiSubWindow *Q275::requestingWindow() const
{
    // The window that asked is the sender, not the active sub-window: a window finishing in
    // the background is not the active one, and one already closed (its deletion pending)
    // has nothing left to close.
    if (const auto *w = qobject_cast<const QWidget *>(sender())) {
        const QList<QMdiSubWindow *> windows = mdiArea->subWindowList();
        for (QMdiSubWindow *sw : windows) {
            if (sw->widget() == w)
                return sw;
        }
        return nullptr;
    }
    return mdiArea->activeSubWindow();
}

void Q275::closeWin(bool ok)
{
    QMdiSubWindow *sw = requestingWindow();
    if (!sw)
        return;
    const QString kind = kindOf(sw);
    if (kind == kRead) {
        closeRead(ok, qobject_cast<const Read *>(sw->widget()));
    } else if (ok && kind == kWrite) {
        statusBar()->showMessage(tr("Записана конфигурация"), kStatusTime);
        // An editor saved into the configuration while it went keeps it changed.
        setChanged(config && std::memcmp(config->bytes(), written.bytes(), TQ275::Size) != 0);
    } else if (const EditorPart *part = editorPart(kind); ok && part && config) {
        part->copy(*config, workCopy);
        config->updateChecksum();
        setChanged(true);
    }
    sw->close();
}

void Q275::closeRead(bool ok, const Read *reader)
{
    pendingRead = 0; // its record is dealt with here
    if (!ok) {
        // A record that failed its checksum never reached config: the log says why.
        if (reader && reader->isDamaged())
            emit mes(tr(kDamaged));
        config.reset();
        return;
    }
    showTree();
    if (config) // still there: it passed its checksum
        statusBar()->showMessage(tr("Прочитана конфигурация"), kStatusTime);
}

// ---- shutdown -------------------------------------------------------------------------------

void Q275::closeEvent(QCloseEvent *event)
{
    // The question comes before any window closes, so that "&Отмена" leaves all as it was.
    if (hasChanges() && !settleChanges()) {
        event->ignore();
        return;
    }
    mdiArea->closeAllSubWindows();
    if (mdiArea->currentSubWindow()) {
        event->ignore();
        return;
    }
    saveLayout();
    disconnect(this, &Q275::mes, this, &Q275::log);
    disconnect(thread, &TThread::mes, this, &Q275::log);
    stopThread();
    event->accept();
}

void Q275::dropPendingRead()
{
    if (!pendingRead)
        return;
    pendingRead = 0;
    config.reset();
}
