#include "editors/tinprx.h"

#include "ui_inprx.h"

TInpRx::TInpRx(TThread *thread, TQ275 *cfg, quint8 *rx, int mode) : TInpChan(thread, RxChannel)
{
    Ui::InpRxClass ui; // the widgets belong to the window; the form is needed only here
    ui.setupUi(this);
    bindForm(ui, ui.boxAtt, {ui.chkCosOn, ui.chkRxOn, ui.chkCosOff, ui.chkRxOff});
    init(&cfg->switching, rx, mode, &TInpRx::DialAtt, &TInpRx::SpinAtt);
}
