#ifndef Q275_H
#define Q275_H

#include <QMainWindow>
#include <memory>

#include "config/tq275.h"

class CDevTree;
class CLogEdit;
class QAction;
class QDockWidget;
class QFile;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QTreeWidgetItem;
class Read;
class TThread;
class TWorkWindow;

// The terminal's main window: actions, menus, tool bars, the program log, the device
// tree, the current configuration and its file, and the routing of every work window.
class Q275 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Q275(QWidget *parent = nullptr);
    ~Q275() override;

    // Read-only views for the work windows' callers and for tests.
    const TQ275 *currentConfig() const { return config.get(); }
    int currentMode() const { return svcMode; }
    QString currentFileName() const;
    TThread *linkThread() const { return thread; }
    QMdiArea *workArea() const { return mdiArea; }
    CDevTree *deviceTree() const { return devTree; }
    // True while the configuration differs from what was last read from the board, opened,
    // saved or written to the board; the title shows it. No configuration has no changes.
    bool hasChanges() const { return config && changed; }

    // Opens the file as "&Открыть" does once a name is chosen: the file named on the command
    // line. A relative name is taken from the working folder.
    void openFile(const QString &path);

signals:
    void mes(QString text);

public slots:
    void create();
    void open();
    void save();
    void saveAs();
    void openRecentFile();
    void shut();
    void read();
    void write();
    void test();
    void load();
    void user();
    void service();
    void port();
    void about();
    void history();
    void openEntry(const QString &path);
    void openItem(QTreeWidgetItem *item, int column);
    void openWin(QString mode);
    void closeWin(bool ok);
    void log(QString text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createActions();
    void createMenus();
    // "Опции → Язык": the language of the next start.
    void createLanguageMenu();
    // "Опции → Проверять запись чтением": a written configuration is read back and compared;
    // kept in the settings, off until the user turns it on.
    void createVerifyOption();
    void createToolBars();
    void createLogDock();
    void refreshRecent();
    void rememberFile(const QString &path);
    void setCurrentFile(const QString &path);
    // The title: the program's, the current file's name, the mark of changes.
    void showTitle();
    // The name of a configuration file to open or to save into; empty when cancelled.
    QString askFileName(bool forSaving);
    // "&Сохранить" and "&Сохранить как": true when the configuration went into its file.
    bool saveConfig();
    bool saveConfigAs();
    bool writeFile();
    // Writes the bytes through the safe save; false, after a warning, when they did not go.
    bool saveFile(const QString &name, const QByteArray &data);
    void readFile();
    void loadFile(const QString &name, bool remember);
    // The configuration in a file; null, after a warning, when it cannot be read.
    std::unique_ptr<TQ275> readConfigFile(const QString &name);
    // Makes the configuration read from the file the current one and shows it.
    void takeConfig(std::unique_ptr<TQ275> rec, const QString &name, bool remember);
    void warn(const QString &text);
    bool askClose();
    // The question about a configuration with changes: true when the caller may go on (they
    // were saved, or let go), false when the user cancelled or the save failed.
    bool settleChanges();
    // Whether the configuration has changes; the title's mark follows.
    void setChanged(bool on);
    void closeConfig();
    void showTree();
    void fillTree();
    // The tree in its dock, made the first time a configuration is shown.
    void showTreeDock();
    void applyMode();
    void setConfigActions(bool on);
    // The sub-window at its form's size plus the frame, as far as the work area holds it.
    void fitSubWindow(QMdiSubWindow *sw, const QSize &form);
    QMdiSubWindow *requestingWindow() const;
    // The work windows, one maker per kind: the window, or null when there is nothing to open.
    TWorkWindow *makeRead(const QString &kind);
    TWorkWindow *makeTest(const QString &kind);
    TWorkWindow *makeWrite(const QString &kind);
    TWorkWindow *makeLoad(const QString &kind);
    TWorkWindow *makeEditor(const QString &kind);
    TWorkWindow *makeInfo(const QString &kind);
    TWorkWindow *makeTrace(const QString &kind);
    TWorkWindow *makeAbout(const QString &kind);
    TWorkWindow *makeHistory(const QString &kind);
    // Reads a controller software file into romData; empty, or the warning that says why not.
    QString readRom(const QString &name);
    // A read's window closes: its record becomes the current configuration (ok), or goes.
    void closeRead(bool ok, const Read *reader);
    // Drops the record of a read whose window went without a result.
    void dropPendingRead();
    // Asks the worker to end and waits a short while; false when it is still running.
    bool stopThread();
    // The status bar's lasting note of the port the link will use.
    void showPort();
    // The log's context menu: the edit's own entries, then saving and clearing the log.
    void showLogMenu(const QPoint &pos);
    void saveLog();
    // The window's size, place, docks and tool bars: as the user left them, or the first start's.
    void restoreLayout();
    void saveLayout();

    enum { MaxRecent = 5 };

    QMdiArea *mdiArea = nullptr;
    CLogEdit *logEdit = nullptr;
    QDockWidget *logDock = nullptr;
    QDockWidget *treeDock = nullptr;
    CDevTree *devTree = nullptr;
    std::unique_ptr<QFile> curFile;
    std::unique_ptr<TQ275> config;
    TQ275 workCopy{};
    QString portName;
    int svcMode = 1;
    TThread *thread = nullptr;
    quint8 *romData = nullptr;
    int romSize = 0;
    bool stopAsked = false;
    bool changed = false;
    TQ275 written{};                  // what the last write sent to the board
    quint64 readSerial = 0;           // reads opened so far
    quint64 pendingRead = 0;          // the read whose record config is, until its window ends
    QMetaObject::Connection readGone; // drops that record when its window goes

    QAction *createAct = nullptr;
    QAction *openAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *saveAsAct = nullptr;
    QAction *historyAct = nullptr;
    QAction *recentActs[MaxRecent] = {};
    QAction *recentSep = nullptr;
    QAction *shutAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *readAct = nullptr;
    QAction *testAct = nullptr;
    QAction *writeAct = nullptr;
    QAction *userAct = nullptr;
    QAction *serviceAct = nullptr;
    QAction *portAct = nullptr;
    QAction *aboutAct = nullptr;
    QAction *closeAct = nullptr;
    QAction *closeAllAct = nullptr;
    QAction *tileAct = nullptr;
    QAction *cascadeAct = nullptr;
    QAction *saveLogAct = nullptr;
    QAction *clearLogAct = nullptr;

    QMenu *fileMenu = nullptr;
    QMenu *taskMenu = nullptr;
    QMenu *optMenu = nullptr;
    QMenu *winMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QToolBar *fileToolBar = nullptr;
    QToolBar *taskToolBar = nullptr;
    QLabel *portLabel = nullptr;
};

#endif // Q275_H
