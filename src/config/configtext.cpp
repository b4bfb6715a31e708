#include "config/configtext.h"

#include <QStringList>

#include <cstring>

#include "config/hextext.h"
#include "config/obdfile.h"
#include "editors/tscale.h"

namespace
{
using Row = ConfigText::Row;
using Bits = QList<QPair<int, quint8>>;

// The words of the values: translated for the technician, or the source texts, which
// machine-readable output keeps in every language.
class Words
{
public:
    explicit Words(ConfigText::Wording wording) : source(wording == ConfigText::Source) {}

    // A text marked with QT_TRANSLATE_NOOP("ConfigText", ...).
    QString operator()(const char *text) const
    {
        return source ? QString::fromUtf8(text) : ConfigText::tr(text);
    }
    QString db(double value) const
    {
        if (qFuzzyIsNull(value))
            value = 0; // no "-0.0"
        return (*this)(QT_TRANSLATE_NOOP("ConfigText", "%1 дБ")).arg(value, 0, 'f', 1);
    }
    QString ms(const QString &number) const
    {
        return (*this)(QT_TRANSLATE_NOOP("ConfigText", "%1 мс")).arg(number);
    }
    QString off() const { return (*this)(QT_TRANSLATE_NOOP("ConfigText", "Откл.")); }
    QString onOff(bool on) const
    {
        return on ? (*this)(QT_TRANSLATE_NOOP("ConfigText", "Вкл.")) : off();
    }
    // A level text of the scales ("-19.1", or their text for off) in dB with one decimal.
    QString level(const QString &text) const
    {
        bool number = false;
        const double v = text.toDouble(&number);
        return number ? db(v) : off();
    }

private:
    bool source;
};

QString hexByte(quint8 b)
{
    return HexText::byte(b);
}

QByteArray image(const QByteArray &cfgOrFile)
{
    if (cfgOrFile.size() != TQ275::Size)
        return cfgOrFile;
    TQ275 rec;
    std::memcpy(rec.bytes(), cfgOrFile.constData(), TQ275::Size);
    return ObdFile::image(rec);
}

// A value beyond its scale is shown clamped: its text tells none of its bits.
Bits upTo(int code, int max, const Bits &bits)
{
    return code <= max ? bits : Bits();
}

// One input channel: its keys and texts, its block, and the switching bits of its sources.
struct Channel {
    const char *groupKey;
    QString group;
    int at;                   // offset of the channel block in the record
    quint8 onFirst, onSecond; // switching bits of the two "on" sources
    quint8 offFirst, offSecond;
    const char *onFirstText, *onSecondText, *offFirstText, *offSecondText;
};

// The source a pair of switching bits shows, as the editors fill their radio buttons: the
// second source wins, and then its text tells nothing of the first source's bit.
Row switchRow(quint8 sw, quint8 first, quint8 second, const QString &firstText,
              const QString &secondText, const QString &noneText)
{
    Row r;
    r.value = sw & second ? secondText : sw & first ? firstText : noneText;
    r.bits = {{0, sw & second ? second : quint8(first | second)}};
    return r;
}

// The settings of a channel block in the editors' units.
QList<Row> blockRows(const quint8 *b, int at, const Words &w)
{
    const int agc = at + 2;
    double agcDb = 0;
    TScale::AgcLvlDb((b[2] >> 4) & 7, &agcDb);
    static const char *const gates[4] = {
        QT_TRANSLATE_NOOP("ConfigText", "1 дБ"), QT_TRANSLATE_NOOP("ConfigText", "2 дБ"),
        QT_TRANSLATE_NOOP("ConfigText", "3 дБ"), QT_TRANSLATE_NOOP("ConfigText", "Откл.")};
    const int att = qMin<int>(b[0], TScale::AttMax);
    const int gain = qMin<int>(b[1] & 0x7F, TScale::GainMax);
    const int agcGain = qMin<int>(b[3] >> 1, TScale::GainMax);
    // key, setting, value, the record bits the value tells
    const auto row = [](const char *key, const QString &setting, const QString &value,
                        const Bits &bits) {
        return Row{{}, QString::fromLatin1(key), {}, setting, value, bits};
    };
    return {
        row("attenuator", ConfigText::tr("Аттенюатор"), w.db(TScale::AttDb(att)),
            upTo(b[0], TScale::AttMax, {{at, 0xFF}})),
        row("amplifier", ConfigText::tr("Усилитель"), w.onOff(!(b[1] & 0x80)), {{at + 1, 0x80}}),
        row("amplifier_mode", ConfigText::tr("Режим усилителя"),
            b[2] & 0x80 ? w(QT_TRANSLATE_NOOP("ConfigText", "АРУ"))
                        : w(QT_TRANSLATE_NOOP("ConfigText", "Постоянный")),
            {{agc, 0x80}}),
        row("gain", ConfigText::tr("Усиление"), w.db(TScale::GainDb(gain)),
            upTo(b[1] & 0x7F, TScale::GainMax, {{at + 1, 0x7F}})),
        row("clip", ConfigText::tr("Ограничение"), w.onOff(b[4] & 0x01), {{at + 4, 0x01}}),
        row("agc_level", ConfigText::tr("Уровень выхода АРУ"), w.db(agcDb), {{agc, 0x70}}),
        row("agc_max_gain", ConfigText::tr("Макс. усиление АРУ"), w.db(TScale::GainDb(agcGain)),
            upTo(b[3] >> 1, TScale::GainMax, {{at + 3, 0xFE}})),
        row("attack", ConfigText::tr("Нарастание"), w.ms(TScale::AttackText((b[2] >> 2) & 3)),
            {{agc, 0x0C}}),
        row("decay", ConfigText::tr("Спад"), w.ms(TScale::DecayText(b[2] & 3)), {{agc, 0x03}}),
        row("signal_delay", ConfigText::tr("Задержка сигнала"),
            w.ms(TScale::SignalDetText(b[5] & 7)), {{at + 5, 0x07}}),
        row("noise_delay", ConfigText::tr("Задержка шума"), w.ms(TScale::NoiseDetText(b[5] >> 3)),
            {{at + 5, 0xF8}}),
        row("noise_threshold", ConfigText::tr("Отсечка шума"),
            w.level(TScale::NoiseLvlText((b[4] >> 1) & 0x1F)), {{at + 4, 0x3E}}),
        row("noise_hysteresis", ConfigText::tr("Порог отсечки"), w(gates[b[4] >> 6]),
            {{at + 4, 0xC0}}),
    };
}

QList<Row> channelRows(const TQ275 &cfg, const Channel &c, const Words &w)
{
    QList<Row> rows = blockRows(cfg.bytes() + c.at, c.at, w);
    Row on = switchRow(cfg.switching, c.onFirst, c.onSecond, w(c.onFirstText), w(c.onSecondText),
                       w(QT_TRANSLATE_NOOP("ConfigText", "Нет")));
    on.key = QStringLiteral("switch_on");
    on.setting = ConfigText::tr("Включение канала");
    Row off = switchRow(cfg.switching, c.offFirst, c.offSecond, w(c.offFirstText),
                        w(c.offSecondText), w.off());
    off.key = QStringLiteral("switch_off");
    off.setting = ConfigText::tr("Выключение канала");
    rows << on << off;
    for (Row &r : rows) {
        r.groupKey = QString::fromLatin1(c.groupKey);
        r.group = c.group;
    }
    return rows;
}

// Each output of each channel: on or off, and its level.
QList<Row> outputRows(const TQ275 &cfg, const Words &w)
{
    struct Output {
        const char *key;
        QString setting;
        int at;
    };
    const Output outputs[4] = {
        {"pin3_receiver", ConfigText::tr("Контакт № 3, приемник"), TQ275::RxOffset + 6},
        {"pin3_microphone", ConfigText::tr("Контакт № 3, микрофон"), TQ275::MicOffset + 6},
        {"pin8_receiver", ConfigText::tr("Контакт № 8, приемник"), TQ275::RxOffset + 7},
        {"pin8_microphone", ConfigText::tr("Контакт № 8, микрофон"), TQ275::MicOffset + 7},
    };
    const QString group = ConfigText::tr("Выход адаптера");
    const QString groupKey = QStringLiteral("output");
    QList<Row> rows;
    for (const Output &o : outputs) {
        const quint8 b = cfg.bytes()[o.at];
        rows.append({groupKey,
                     QString::fromLatin1(o.key),
                     group,
                     o.setting,
                     w.onOff(b & 0x80),
                     {{o.at, 0x80}}});
        rows.append({groupKey, QString::fromLatin1(o.key) + QStringLiteral("_level"), group,
                     ConfigText::tr("%1, уровень").arg(o.setting),
                     w.level(TScale::OutLvlText(qMin<int>(b & 0x7F, TScale::OutLvlOff))),
                     upTo(b & 0x7F, TScale::OutLvlOff, {{o.at, 0x7F}})});
    }
    return rows;
}

// The bytes no editor shows, in hex.
QList<Row> recordRows(const TQ275 &cfg)
{
    struct Byte {
        const char *key;
        const char *setting;
        int at;
    };
    static const Byte shown[] = {
        {"info_flag", QT_TRANSLATE_NOOP("ConfigText", "Информация"), 17},
        {"spare", QT_TRANSLATE_NOOP("ConfigText", "Резерв"), 18},
        {"checksum", QT_TRANSLATE_NOOP("ConfigText", "Контрольная сумма"), 19},
    };
    QList<Row> rows;
    for (const Byte &b : shown)
        rows.append({QStringLiteral("record"),
                     QString::fromLatin1(b.key),
                     ConfigText::tr("Запись"),
                     ConfigText::tr(b.setting),
                     hexByte(cfg.bytes()[b.at]),
                     {{b.at, 0xFF}}});
    return rows;
}
} // namespace

QString ConfigText::Change::text() const
{
    return group + QStringLiteral(" · ") + setting + QStringLiteral(": ") + from +
           QStringLiteral(" → ") + to;
}

QList<ConfigText::Row> ConfigText::rows(const TQ275 &cfg, Wording wording)
{
    const Channel channels[2] = {
        {"receiver", tr("Вход приемника"), TQ275::RxOffset, 0x02, 0x10, 0x08, 0x40,
         QT_TRANSLATE_NOOP("ConfigText", "Детектора несущей"),
         QT_TRANSLATE_NOOP("ConfigText", "Разрешение аудио"),
         QT_TRANSLATE_NOOP("ConfigText", "Детектора несущей"),
         QT_TRANSLATE_NOOP("ConfigText", "Запрет аудио")},
        {"microphone", tr("Вход микрофона"), TQ275::MicOffset, 0x01, 0x20, 0x04, 0x80,
         QT_TRANSLATE_NOOP("ConfigText", "Нажатия РТТ"),
         QT_TRANSLATE_NOOP("ConfigText", "Разрешение передачи"),
         QT_TRANSLATE_NOOP("ConfigText", "Отпускания РТТ"),
         QT_TRANSLATE_NOOP("ConfigText", "Запрет передачи")},
    };
    const Words words(wording);
    QList<Row> out;
    for (const Channel &c : channels)
        out << channelRows(cfg, c, words);
    out << outputRows(cfg, words) << recordRows(cfg);
    return out;
}

QList<ConfigText::Change> ConfigText::compare(const QByteArray &first, const QByteArray &second)
{
    const QByteArray a = image(first);
    const QByteArray b = image(second);
    QList<Change> out;
    if (a.size() != ObdFile::Size || b.size() != ObdFile::Size)
        return out;

    TQ275 ra, rb;
    std::memcpy(ra.bytes(), a.constData() + ObdFile::HeaderSize, TQ275::Size);
    std::memcpy(rb.bytes(), b.constData() + ObdFile::HeaderSize, TQ275::Size);
    const QList<Row> rowsA = rows(ra);
    const QList<Row> rowsB = rows(rb);
    // The record bits a differing row already tells of: those its texts on both sides tell.
    quint8 shown[TQ275::Size] = {};
    for (int i = 0; i < rowsA.size(); ++i) {
        if (rowsA[i].value == rowsB[i].value)
            continue;
        out.append({rowsA[i].group, rowsA[i].setting, rowsA[i].value, rowsB[i].value});
        for (const auto &bit : rowsA[i].bits) {
            for (const auto &other : rowsB[i].bits) {
                if (other.first == bit.first)
                    shown[bit.first] |= bit.second & other.second;
            }
        }
    }
    // What no row tells: a reserved bit, a value the editors show clamped.
    for (int i = 0; i < TQ275::Size; ++i) {
        const quint8 x = ra.bytes()[i], y = rb.bytes()[i];
        if ((x ^ y) & ~shown[i])
            out.append({tr("Запись"), tr("Байт %1").arg(i), hexByte(x), hexByte(y)});
    }
    for (int i = 0; i < ObdFile::HeaderSize; ++i) {
        if (a[i] != b[i])
            out.append(
                {tr("Файл"), tr("Байт %1").arg(i), hexByte(quint8(a[i])), hexByte(quint8(b[i]))});
    }
    return out;
}
