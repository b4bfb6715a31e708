#include "q275.h"

#include <QAction>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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
#include <climits>
#include <cstring>

#include "about.h"
#include "cdevtree.h"
#include "clogedit.h"
#include "history.h"
#include "info.h"
#include "load.h"
#include "obdfile.h"
#include "portfile.h"
#include "read.h"
#include "safesave.h"
#include "service.h"
#include "tinprx.h"
#include "tinptx.h"
#include "toutput.h"
#include "tport.h"
#include "trace.h"
#include "ttest.h"
#include "tthread.h"
#include "write.h"

namespace
{
const char kRecentKey[] = "recentFileList";
const int kStatusTime = 2000;

// Work-window kinds; each is also the title of its sub-window.
const QString kRead = QStringLiteral("Прочитать");
const QString kTest = QStringLiteral("Проверить");
const QString kWrite = QStringLiteral("Записать");
const QString kTrace = QStringLiteral("Трассировка");
const QString kInfo = QStringLiteral("Информация");
const QString kRxIn = QStringLiteral("Вход приемника");
const QString kMicIn = QStringLiteral("Вход микрофона");
const QString kOut = QStringLiteral("Выход адаптера");
const QString kAbout = QStringLiteral("О программе");
const QString kHistory = QStringLiteral("История плат");

// Connects a work window's close request to the main window.
template <class W> W *attach(W *w, Q275 *main)
{
    QObject::connect(w, &W::reqClose, main, &Q275::closeWin);
    return w;
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
    statusBar();

    setWindowTitle(tr("Терминал адаптера Q-275"));
    setWindowIcon(QIcon(QStringLiteral(":/images/chip.ico")));
    setMinimumSize(150, 200);
    resize(800, 600);

    svcMode = 1;
    userAct->setChecked(true);

    portName = PortFile::read();
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
    auto make = [this](const QString &text, const char *icon, const QString &tip) {
        QAction *a = new QAction(text, this);
        if (icon)
            a->setIcon(QIcon(QString::fromLatin1(icon)));
        a->setStatusTip(tip);
        return a;
    };

    createAct =
        make(tr("&Создать"), ":/images/page.png", tr("Cоздать файл конфигурации устройства"));
    createAct->setShortcuts(QKeySequence::New);
    connect(createAct, &QAction::triggered, this, &Q275::create);

    openAct = make(tr("&Открыть"), ":/images/open.png", tr("Открыть файл конфигурации устройства"));
    openAct->setShortcuts(QKeySequence::Open);
    connect(openAct, &QAction::triggered, this, &Q275::open);

    saveAct =
        make(tr("&Сохранить"), ":/images/save.png", tr("Сохранить файл конфигурации устройства"));
    saveAct->setShortcuts(QKeySequence::Save);
    saveAct->setEnabled(false);
    connect(saveAct, &QAction::triggered, this, &Q275::save);

    saveAsAct = make(tr("&Сохранить как"), ":/images/save_as.png",
                     tr("Сохранить файл конфигурации устройства как..."));
    saveAsAct->setShortcuts(QKeySequence::SaveAs);
    saveAsAct->setEnabled(false);
    connect(saveAsAct, &QAction::triggered, this, &Q275::saveAs);

    historyAct = make(tr("&История плат..."), nullptr,
                      tr("Конфигурации, прочитанные из плат и записанные в них"));
    connect(historyAct, &QAction::triggered, this, &Q275::history);

    for (QAction *&a : recentActs) {
        a = new QAction(this);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, &Q275::openRecentFile);
    }

    shutAct = make(tr("&Закрыть..."), nullptr, tr("Закрыть файл конфигурации устройства"));
    shutAct->setShortcuts(QKeySequence::Close);
    connect(shutAct, &QAction::triggered, this, &Q275::shut);

    exitAct = make(tr("&Выход"), nullptr, tr("Выйти из программы"));
    exitAct->setShortcuts(QKeySequence::Quit);
    connect(exitAct, &QAction::triggered, this, &QWidget::close);

    readAct =
        make(tr("&Прочитать"), ":/images/read.bmp", tr("Прочитать конфигурацию из устройства"));
    connect(readAct, &QAction::triggered, this, &Q275::read);

    testAct =
        make(tr("&Проверить"), ":/images/test.bmp", tr("Проверить конфигурацию из устройства"));
    testAct->setEnabled(false);
    connect(testAct, &QAction::triggered, this, &Q275::test);

    writeAct =
        make(tr("&Записать"), ":/images/write.bmp", tr("Записать конфигурацию в устройство"));
    writeAct->setEnabled(false);
    connect(writeAct, &QAction::triggered, this, &Q275::write);

    userAct = make(tr("&Пользовательский"), nullptr, tr("Установить пользовательский режим"));
    userAct->setCheckable(true);
    userAct->setChecked(true);
    connect(userAct, &QAction::triggered, this, &Q275::user);

    serviceAct = make(tr("&Сервис"), ":/images/service.bmp", tr("Установить сервисный режим"));
    connect(serviceAct, &QAction::triggered, this, &Q275::service);

    portAct = make(tr("&СОМ Порт"), ":/images/connect.png", tr("Установка COM порта"));
    connect(portAct, &QAction::triggered, this, &Q275::port);

    aboutAct = make(tr("&О программе"), ":/images/help.png", tr("Информация о версии программы"));
    connect(aboutAct, &QAction::triggered, this, &Q275::about);

    closeAct = make(tr("Закрыть"), ":/images/delete.png", tr("Закрыть активное окно"));
    connect(closeAct, &QAction::triggered, mdiArea, &QMdiArea::closeActiveSubWindow);

    closeAllAct = make(tr("Закрыть все"), ":/images/close.png", tr("Закрыть все окна"));
    connect(closeAllAct, &QAction::triggered, mdiArea, &QMdiArea::closeAllSubWindows);

    tileAct = make(tr("Развернуть"), ":/images/win.png", tr("Развернуть все окна"));
    connect(tileAct, &QAction::triggered, mdiArea, &QMdiArea::tileSubWindows);

    cascadeAct = make(tr("Каскадом"), ":/images/multiple.png", tr("Каскад окон"));
    connect(cascadeAct, &QAction::triggered, mdiArea, &QMdiArea::cascadeSubWindows);
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

void Q275::createToolBars()
{
    fileToolBar = addToolBar(tr("Файл"));
    fileToolBar->addAction(createAct);
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);
    fileToolBar->addAction(saveAsAct);

    taskToolBar = addToolBar(tr("Задачи"));
    taskToolBar->addAction(readAct);
    taskToolBar->addAction(testAct);
    taskToolBar->addAction(writeAct);
}

void Q275::createLogDock()
{
    logDock = new QDockWidget(tr("Лог программы"), this);
    logEdit = new CLogEdit(logDock);
    logEdit->setReadOnly(true);
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
}

void Q275::warn(const QString &text)
{
    QMessageBox::warning(this, windowTitle(), text, QMessageBox::Ok);
}

void Q275::warnFile(const QString &suffix)
{
    warn(tr("Файл ") + curFile->fileName() + suffix);
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
    const QString name =
        QFileDialog::getOpenFileName(this, tr("Открыть файл"), QString(),
                                     tr("Файл функциональной платы Q275(*.obd);;Все файлы (*.*)"));
    if (name.isEmpty())
        return;
    setCurrentFile(name);
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
    if (path.isEmpty())
        return;
    setCurrentFile(path);
    readFile();
}

void Q275::save()
{
    if (curFile)
        writeFile();
    else
        saveAs();
}

void Q275::saveAs()
{
    const QString name =
        QFileDialog::getSaveFileName(this, tr("Сохранить файл"), QString(),
                                     tr("Файл функциональной платы Q275(*.obd);;Все файлы (*.*)"));
    if (name.isEmpty())
        return;
    setCurrentFile(name);
    writeFile();
}

void Q275::shut()
{
    curFile.reset();
    if (config)
        closeConfig();
}

void Q275::writeFile()
{
    if (!config || !curFile)
        return;
    const QString name = curFile->fileName();
    switch (SafeSave::save(name, ObdFile::image(*config))) {
    case SafeSave::OpenFailed:
        warnFile(tr(" не удалось открыть."));
        return;
    case SafeSave::WriteFailed:
        warnFile(tr(" не удалось записать."));
        return;
    case SafeSave::Saved:
        break;
    }
    rememberFile(name);
    statusBar()->showMessage(tr("Файл сохранен"), kStatusTime);
    emit mes(tr("Конфигурация адаптера Q-275, ") + QStringLiteral("(") +
             QString::number(ObdFile::Size) + tr(" байт)") + tr(" записана в файл: ") + name);
}

void Q275::readFile()
{
    loadFile(curFile->fileName(), true);
}

void Q275::openEntry(const QString &path)
{
    // As opening a file, but the entry stays out of the recent files and is not the
    // file that "Сохранить" writes to.
    if (config && !askClose())
        return;
    loadFile(path, false);
}

void Q275::loadFile(const QString &name, bool remember)
{
    auto rec = std::make_unique<TQ275>();
    const ObdFile::Result result = ObdFile::load(name, rec.get());
    if (result != ObdFile::Ok) {
        warn(ObdFile::message(result, name));
        return;
    }
    config = std::move(rec);
    if (remember)
        rememberFile(name);
    statusBar()->showMessage(tr("Файл открыт"), kStatusTime);
    emit mes(tr("Загружена конфигурация из файла: ") + name + QStringLiteral(" (") +
             QString::number(ObdFile::Size) + tr(" байт)"));
    showTree();
}

// ---- configuration and tree -----------------------------------------------------------------

bool Q275::askClose()
{
    QMessageBox box(QMessageBox::Question, windowTitle(), tr("Закрыть текущее устройство"),
                    QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(tr("&Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(tr("&Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() != yes)
        return false;
    closeConfig();
    return true;
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
}

void Q275::showTree()
{
    userAct->setChecked(svcMode == 1);
    if (!config)
        return;
    if (!config->isValid()) {
        emit mes(tr("Конфигурация адаптера Q-275 повреждена"));
        config.reset();
        return;
    }
    if (!treeDock)
        treeDock = new QDockWidget(tr(" Q-275"), this);
    workCopy = *config;
    saveAct->setEnabled(true);
    saveAsAct->setEnabled(true);
    writeAct->setEnabled(true);
    if (!devTree) {
        devTree = new CDevTree;
        devTree->setHeaderHidden(true);
        connect(devTree, &QTreeWidget::itemActivated, this, &Q275::openItem);
    }

    auto item = [](QTreeWidgetItem *parent, const QString &text, const char *icon,
                   const QString &tip) {
        auto *it = new QTreeWidgetItem(parent);
        it->setText(0, text);
        it->setIcon(0, QIcon(QString::fromLatin1(icon)));
        if (!tip.isEmpty())
            it->setToolTip(0, tip);
        return it;
    };
    auto top = [this, &item](const QString &text, const char *icon, const QString &tip) {
        QTreeWidgetItem *it = item(nullptr, text, icon, tip);
        devTree->addTopLevelItem(it);
        return it;
    };

    QTreeWidgetItem *tasks =
        top(QStringLiteral("Задачи"), ":/images/task.png", tr("Список операций адаптера Q-275"));
    item(tasks, kRead, ":/images/read.bmp", tr("Прочитать конфигурацию адаптера"));
    item(tasks, kTest, ":/images/test.bmp", tr("Проверить конфигурацию адаптера"));
    item(tasks, kWrite, ":/images/write.bmp", tr("Записать конфигурацию адаптера"));
    QTreeWidgetItem *adapter =
        top(QStringLiteral("Адаптер"), ":/images/device.png", tr("Список интерфейсов адаптера"));
    item(adapter, kRxIn, ":/images/transmit.png", tr("Канал сигнала приемника радиостанции"));
    item(adapter, kMicIn, ":/images/mic.png", tr("Канал сигнала микрофона радиостанции"));
    item(adapter, kOut, ":/images/sound.png", tr("Уровни выходных сигналов адаптера"));
    if (config->infoFlag)
        top(kInfo, ":/images/info.png", tr("Информация о версии адаптера"));
    if (svcMode == 5 || svcMode == 10) {
        QTreeWidgetItem *monitor =
            top(QStringLiteral("Монитор"), ":/images/monitor.png", QString());
        item(monitor, kTrace, ":/images/trace.png", QString());
    }
    top(kInfo, ":/images/info.png", QString());

    treeDock->setWidget(devTree);
    treeDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea |
                              Qt::BottomDockWidgetArea);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock);
    emit mes(tr("Загружена конфигурация адаптера Q-275"));
    setConfigActions(true);
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
        warn(tr("Файл ") + PortFile::fileName() + tr(" не удалось записать."));
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
    openWin(tr("Загрузить ПО"));
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
    openWin(item->text(0));
}

void Q275::openWin(QString mode)
{
    const QList<QMdiSubWindow *> windows = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sw : windows) {
        if (sw->windowTitle() == mode) {
            mdiArea->setActiveSubWindow(sw);
            return;
        }
    }

    QWidget *w = nullptr;
    if (mode == kRead) {
        if (config && !askClose())
            return;
        // The record starts zero-filled; the Read window fills it when the board answers.
        // It is kept only through closeWin(true): however else the window goes, the
        // record goes with it.
        config = std::make_unique<TQ275>();
        w = attach(new Read(thread, config.get()), this);
        const quint64 read = ++readSerial;
        pendingRead = read;
        disconnect(readGone);
        readGone = connect(w, &QObject::destroyed, this, [this, read] {
            if (pendingRead == read)
                dropPendingRead();
        });
    } else if (mode == kTest) {
        if (!config)
            return;
        TQ275 copy = *config;
        for (QMdiSubWindow *sw : windows) {
            const QString title = sw->windowTitle();
            if (title == kRxIn) {
                if (auto *ed = qobject_cast<TInpRx *>(sw->widget()))
                    ed->Store(&copy.switching, copy.rx);
            } else if (title == kMicIn) {
                if (auto *ed = qobject_cast<TInpTx *>(sw->widget()))
                    ed->Store(&copy.switching, copy.mic);
            } else if (title == kOut) {
                if (auto *ed = qobject_cast<TOutput *>(sw->widget()))
                    ed->Store(copy.rx + 6, copy.mic + 6);
            }
        }
        copy.updateChecksum();
        w = attach(new TTest(thread, &copy), this);
    } else if (mode == kWrite) {
        if (!config)
            return;
        config->updateChecksum();
        w = attach(new Write(thread, config.get()), this);
    } else if (mode == tr("Загрузить ПО")) {
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Открыть файл"), QString(), tr("ПО контроллера (*.rom);;Все файлы (*.*)"));
        if (name.isEmpty())
            return;
        QFile file(name);
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
            warn(tr("Файл ") + name + tr(" не удалось открыть."));
            return;
        }
        const qint64 size = file.size();
        if (size > INT_MAX) {
            warn(tr("Файл ") + name + tr(" не удалось прочитать."));
            return;
        }
        delete[] romData;
        romData = new quint8[size > 0 ? size : 1];
        const qint64 got = file.read(reinterpret_cast<char *>(romData), size);
        romSize = int(qMax<qint64>(got, 0));
        file.close();
        if (got != size) {
            delete[] romData;
            romData = nullptr;
            romSize = 0;
            warn(tr("Файл ") + name + tr(" не удалось прочитать."));
            return;
        }
        w = attach(new Load(thread, romData, romSize), this);
        romData = nullptr; // the Load window owns the image now
        romSize = 0;
    } else if (mode == kRxIn) {
        if (!config)
            return;
        TQ275::copyRxPart(workCopy, *config);
        w = attach(new TInpRx(thread, &workCopy, workCopy.rx, svcMode), this);
    } else if (mode == kMicIn) {
        if (!config)
            return;
        TQ275::copyMicPart(workCopy, *config);
        w = attach(new TInpTx(thread, &workCopy, workCopy.mic, svcMode), this);
    } else if (mode == kOut) {
        if (!config)
            return;
        TQ275::copyOutPart(workCopy, *config);
        w = attach(new TOutput(thread, workCopy.rx + 6, workCopy.mic + 6, svcMode), this);
    } else if (mode == kInfo) {
        w = attach(new Info(thread, quint8(svcMode)), this);
    } else if (mode == kTrace) {
        w = attach(new Trace(this, thread), this);
    } else if (mode == kAbout) {
        w = attach(new About(this), this);
    } else if (mode == kHistory) {
        auto *h = attach(new History([this] { return config.get(); }), this);
        connect(h, &History::openEntry, this, &Q275::openEntry);
        w = h;
    }
    if (!w)
        return;

    w->setWindowTitle(mode);
    QMdiSubWindow *sw = mdiArea->addSubWindow(w);
    sw->show();
    sw->adjustSize();
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
    const QString title = sw->windowTitle();
    if (title == kRead)
        pendingRead = 0; // its record is dealt with here
    if (ok) {
        if (title == kRead) {
            showTree();
            // A record that failed its checksum is gone now: the log says so, and the
            // status bar must not call the read a success.
            if (config)
                statusBar()->showMessage(tr("Прочитана конфигурация"), kStatusTime);
        } else if (title == kWrite) {
            statusBar()->showMessage(tr("Записана конфигурация"), kStatusTime);
        } else if (config && (title == kRxIn || title == kMicIn || title == kOut)) {
            if (title == kRxIn)
                TQ275::copyRxPart(*config, workCopy);
            else if (title == kMicIn)
                TQ275::copyMicPart(*config, workCopy);
            else
                TQ275::copyOutPart(*config, workCopy);
            config->updateChecksum();
        }
    } else if (title == kRead) {
        config.reset();
    }
    sw->close();
}

// ---- shutdown -------------------------------------------------------------------------------

void Q275::closeEvent(QCloseEvent *event)
{
    mdiArea->closeAllSubWindows();
    if (mdiArea->currentSubWindow()) {
        event->ignore();
        return;
    }
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
