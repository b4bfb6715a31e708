#include "configtext.h"

#include <QStringList>

#include <cstring>

#include "hextext.h"
#include "obdfile.h"
#include "tscale.h"

namespace
{
QString db(double value)
{
    if (qFuzzyIsNull(value))
        value = 0; // no "-0.0"
    return QString::number(value, 'f', 1) + ConfigText::tr(" дБ");
}

QString ms(const QString &text)
{
    return text + ConfigText::tr(" мс");
}

QString onOff(bool on)
{
    return on ? ConfigText::tr("Вкл.") : ConfigText::tr("Откл.");
}

// A level text of the scales ("-19.1" or "Откл.") in dB with one decimal.
QString level(const QString &text)
{
    bool number = false;
    const double v = text.toDouble(&number);
    return number ? db(v) : text;
}

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

using Bits = QList<QPair<int, quint8>>;

// A value beyond its scale is shown clamped: its text tells none of its bits.
Bits upTo(int code, int max, const Bits &bits)
{
    return code <= max ? bits : Bits();
}

struct Channel {
    const char *groupKey;
    QString group;
    int at;                   // offset of the channel block in the record
    quint8 onFirst, onSecond; // switching bits of the two "on" sources
    quint8 offFirst, offSecond;
    QString onFirstText, onSecondText, offFirstText, offSecondText;
};
} // namespace

QString ConfigText::Change::text() const
{
    return group + QStringLiteral(" · ") + setting + QStringLiteral(": ") + from +
           QStringLiteral(" → ") + to;
}

QList<ConfigText::Row> ConfigText::rows(const TQ275 &cfg)
{
    QList<Row> out;
    const quint8 *r = cfg.bytes();
    auto add = [&out](const char *groupKey, const QString &group, const char *key,
                      const QString &setting, const QString &value,
                      QList<QPair<int, quint8>> bits) {
        out.append(
            {QString::fromLatin1(groupKey), QString::fromLatin1(key), group, setting, value, bits});
    };

    const Channel channels[2] = {
        {"receiver", tr("Вход приемника"), TQ275::RxOffset, 0x02, 0x10, 0x08, 0x40,
         tr("Детектора несущей"), tr("Разрешение аудио"), tr("Детектора несущей"),
         tr("Запрет аудио")},
        {"microphone", tr("Вход микрофона"), TQ275::MicOffset, 0x01, 0x20, 0x04, 0x80,
         tr("Нажатия РТТ"), tr("Разрешение передачи"), tr("Отпускания РТТ"), tr("Запрет передачи")},
    };
    for (const Channel &c : channels) {
        const quint8 *b = r + c.at;
        const int att = c.at, gain = c.at + 1, agc = c.at + 2, agcGain = c.at + 3, noise = c.at + 4,
                  detect = c.at + 5;
        auto row = [&](const char *key, const QString &setting, const QString &value,
                       QList<QPair<int, quint8>> bits) {
            add(c.groupKey, c.group, key, setting, value, bits);
        };
        row("attenuator", tr("Аттенюатор"), db(TScale::AttDb(qMin<int>(b[0], TScale::AttMax))),
            upTo(b[0], TScale::AttMax, {{att, 0xFF}}));
        row("amplifier", tr("Усилитель"), onOff(!(b[1] & 0x80)), {{gain, 0x80}});
        row("amplifier_mode", tr("Режим усилителя"), b[2] & 0x80 ? tr("АРУ") : tr("Постоянный"),
            {{agc, 0x80}});
        row("gain", tr("Усиление"), db(TScale::GainDb(qMin<int>(b[1] & 0x7F, TScale::GainMax))),
            upTo(b[1] & 0x7F, TScale::GainMax, {{gain, 0x7F}}));
        row("clip", tr("Ограничение"), onOff(b[4] & 0x01), {{noise, 0x01}});
        double agcDb = 0;
        TScale::AgcLvlDb((b[2] >> 4) & 7, &agcDb);
        row("agc_level", tr("Уровень выхода АРУ"), db(agcDb), {{agc, 0x70}});
        row("agc_max_gain", tr("Макс. усиление АРУ"),
            db(TScale::GainDb(qMin<int>(b[3] >> 1, TScale::GainMax))),
            upTo(b[3] >> 1, TScale::GainMax, {{agcGain, 0xFE}}));
        row("attack", tr("Нарастание"), ms(TScale::AttackText((b[2] >> 2) & 3)), {{agc, 0x0C}});
        row("decay", tr("Спад"), ms(TScale::DecayText(b[2] & 3)), {{agc, 0x03}});
        row("signal_delay", tr("Задержка сигнала"), ms(TScale::SignalDetText(b[5] & 7)),
            {{detect, 0x07}});
        row("noise_delay", tr("Задержка шума"), ms(TScale::NoiseDetText(b[5] >> 3)),
            {{detect, 0xF8}});
        row("noise_threshold", tr("Отсечка шума"), level(TScale::NoiseLvlText((b[4] >> 1) & 0x1F)),
            {{noise, 0x3E}});
        static const char *const gates[4] = {"1 дБ", "2 дБ", "3 дБ", "Откл."};
        row("noise_hysteresis", tr("Порог отсечки"), tr(gates[b[4] >> 6]), {{noise, 0xC0}});
        // As the editors fill their radio buttons: the second source wins, and then its
        // text tells nothing of the first source's bit.
        const quint8 sw = r[0];
        row("switch_on", tr("Включение канала"),
            sw & c.onSecond  ? c.onSecondText
            : sw & c.onFirst ? c.onFirstText
                             : tr("Нет"),
            {{0, sw & c.onSecond ? c.onSecond : quint8(c.onFirst | c.onSecond)}});
        row("switch_off", tr("Выключение канала"),
            sw & c.offSecond  ? c.offSecondText
            : sw & c.offFirst ? c.offFirstText
                              : tr("Откл."),
            {{0, sw & c.offSecond ? c.offSecond : quint8(c.offFirst | c.offSecond)}});
    }

    struct Output {
        const char *key;
        QString setting;
        int at;
    };
    const Output outputs[4] = {
        {"pin3_receiver", tr("Контакт № 3, приемник"), TQ275::RxOffset + 6},
        {"pin3_microphone", tr("Контакт № 3, микрофон"), TQ275::MicOffset + 6},
        {"pin8_receiver", tr("Контакт № 8, приемник"), TQ275::RxOffset + 7},
        {"pin8_microphone", tr("Контакт № 8, микрофон"), TQ275::MicOffset + 7},
    };
    const QString outGroup = tr("Выход адаптера");
    for (const Output &o : outputs) {
        add("output", outGroup, o.key, o.setting, onOff(r[o.at] & 0x80), {{o.at, 0x80}});
        add("output", outGroup, (QByteArray(o.key) + "_level").constData(),
            o.setting + tr(", уровень"),
            level(TScale::OutLvlText(qMin<int>(r[o.at] & 0x7F, TScale::OutLvlOff))),
            upTo(r[o.at] & 0x7F, TScale::OutLvlOff, {{o.at, 0x7F}}));
    }

    const QString recGroup = tr("Запись");
    add("record", recGroup, "info_flag", tr("Информация"), hexByte(cfg.infoFlag), {{17, 0xFF}});
    add("record", recGroup, "spare", tr("Резерв"), hexByte(cfg.spare), {{18, 0xFF}});
    add("record", recGroup, "checksum", tr("Контрольная сумма"), hexByte(cfg.checksum),
        {{19, 0xFF}});
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
