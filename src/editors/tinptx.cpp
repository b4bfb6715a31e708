#include "editors/tinptx.h"

#include "ui_inptx.h"

TInpTx::TInpTx(TThread *thread, TQ275 *cfg, quint8 *mic, int mode) : TInpChan(thread, MicChannel)
{
    Ui::InpTxClass ui; // the widgets belong to the window; the form is needed only here
    ui.setupUi(this);
    bindForm(ui, ui.boxLine1, {ui.chkPttOn, ui.chkTxOn, ui.chkPttOff, ui.chkTxOff});
    init(&cfg->switching, mic, mode, &TInpTx::DialL1, &TInpTx::SpinL1);
}
