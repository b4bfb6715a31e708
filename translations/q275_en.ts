<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>AboutClass</name>
    <message>
        <source>Терминал адаптера Q-275</source>
        <translation>Q-275 Terminal</translation>
    </message>
    <message>
        <source>Версия:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Разработка и производство: Veltrona</source>
        <translation>Designed and made by Veltrona</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>  -p, --port ПОРТ  последовательный порт; без него - первая строка Q275.ini
  -q, --quiet      в stderr только ошибки
  -v, --verbose    строки порта и дампы кадров в stderr
</source>
        <translation>  -p, --port PORT  serial port; without it, the first line of Q275.ini
  -q, --quiet      only errors on stderr
  -v, --verbose    port lines and frame dumps on stderr
</translation>
    </message>
    <message>
        <source>Использование: q275-cli info [-p ПОРТ] [--json] [-q] [-v]

Читает данные платы (команды 0x79 и 0x80) и выводит модель, версию ПО,
серийный номер, дату изготовления, ID, REV и S/N процессора так, как их
показывает окно &quot;Информация&quot;.

  --json           один объект JSON с ключами model, version, serial,
                   date, processor_id, processor_rev, processor_sn
</source>
        <translation>Usage: q275-cli info [-p PORT] [--json] [-q] [-v]

Reads the board data (commands 0x79 and 0x80) and prints the model, firmware
version, serial number, production date, processor ID, REV and S/N as the
&quot;Information&quot; window shows them.

  --json           one JSON object with the keys model, version, serial,
                   date, processor_id, processor_rev, processor_sn
</translation>
    </message>
    <message>
        <source>Использование: q275-cli test [-p ПОРТ] -i ФАЙЛ.obd [-q] [-v]

Загружает конфигурацию из файла в плату как тестовую (команда 0x74);
сохраненная в плате конфигурация не меняется.

</source>
        <translation>Usage: q275-cli test [-p PORT] -i FILE.obd [-q] [-v]

Loads the configuration of a file into the board as a test (command 0x74);
the configuration the board keeps does not change.

</translation>
    </message>
    <message>
        <source>Использование: q275-cli trace [-p ПОРТ] [--mask M] [--seconds N] [-q] [-v]

Включает трассировку платы и выводит каждую запись строкой, как монитор
трассировки. Через N секунд после того, как плата включила трассировку,
или по Ctrl+C трассировка выключается.

  --mask M         каналы: 1 SPI Rx, 2 I2C Tx, 4 Prois Rx, 8 Prois Tx;
                   сумма 1..255 (десятичная или 0x..), по умолчанию 15
  --seconds N      сколько секунд трассировать (до %1); без него - до
                   Ctrl+C
</source>
        <translation>Usage: q275-cli trace [-p PORT] [--mask M] [--seconds N] [-q] [-v]

Switches the board&apos;s trace on and prints each record as a line, as the trace
monitor does. N seconds after the board switched the trace on, or on Ctrl+C,
the trace is switched off.

  --mask M         channels: 1 SPI Rx, 2 I2C Tx, 4 Prois Rx, 8 Prois Tx;
                   their sum 1..255 (decimal or 0x..), 15 by default
  --seconds N      how many seconds to trace (up to %1); without it, until
                   Ctrl+C
</translation>
    </message>
    <message>
        <source>Справка: q275-cli --help</source>
        <translation>Help: q275-cli --help</translation>
    </message>
    <message>
        <source>параметру %1 нужно значение</source>
        <translation>option %1 needs a value</translation>
    </message>
    <message>
        <source>параметр %1 не подходит к этой команде</source>
        <translation>option %1 does not go with this command</translation>
    </message>
    <message>
        <source>маска каналов должна быть числом от 1 до 255: %1</source>
        <translation>the channel mask must be a number from 1 to 255: %1</translation>
    </message>
    <message>
        <source>число секунд должно быть целым от 0 до %1: %2</source>
        <translation>the seconds must be a whole number from 0 to %1: %2</translation>
    </message>
    <message>
        <source>неизвестный параметр: %1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>параметр %1 не в кодировке системы: такое имя файла исказилось бы</source>
        <translation>argument %1 is not in the system&apos;s encoding: such a file name would be garbled</translation>
    </message>
    <message>
        <source>не задана команда</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>неизвестная команда: %1</source>
        <translation>unknown command: %1</translation>
    </message>
    <message>
        <source>команде %1 нужен файл (%2 ФАЙЛ.obd)</source>
        <translation>command %1 needs a file (%2 FILE.obd)</translation>
    </message>
    <message>
        <source>порт не задан: укажите -p ПОРТ или запишите его в %1</source>
        <translation>no port given: use -p PORT or write it into %1</translation>
    </message>
    <message>
        <source>Конфигурация адаптера Q-275 повреждена</source>
        <translation>The Q-275 configuration is corrupt</translation>
    </message>
    <message>
        <source>Ошибка. Чтение данных платы прервано.</source>
        <translation>Error. Reading the board data was aborted.</translation>
    </message>
    <message>
        <source>Не поддерживается</source>
        <translation>Not supported</translation>
    </message>
    <message>
        <source>Модель: %1</source>
        <translation>Model: %1</translation>
    </message>
    <message>
        <source>Версия ПО: %1</source>
        <translation>Firmware version: %1</translation>
    </message>
    <message>
        <source>Сер. номер: %1</source>
        <translation>Serial no.: %1</translation>
    </message>
    <message>
        <source>Дата: %1</source>
        <translation>Date: %1</translation>
    </message>
    <message>
        <source>Процессор ID: %1</source>
        <translation>Processor ID: %1</translation>
    </message>
    <message>
        <source>Процессор REV: %1</source>
        <translation>Processor REV: %1</translation>
    </message>
    <message>
        <source>Процессор S/N: %1</source>
        <translation>Processor S/N: %1</translation>
    </message>
    <message>
        <source>Ошибка. Чтение конфигурации прервано.</source>
        <translation>Error. Reading the configuration was aborted.</translation>
    </message>
    <message>
        <source>Ошибка. Запись конфигурации прервана.</source>
        <translation>Error. Writing the configuration was aborted.</translation>
    </message>
    <message>
        <source>Ошибка. Загрузка конфигурации прервана.</source>
        <translation>Error. Loading the configuration was aborted.</translation>
    </message>
    <message>
        <source>Проверка конфигурации адаптера Q-275 выполнена.</source>
        <translation>Q-275 configuration test done.</translation>
    </message>
    <message>
        <source>Конфигурации адаптера Q-275 записана.</source>
        <translation>Q-275 configuration written.</translation>
    </message>
    <message>
        <source>Ошибка. Трассировка прервана.</source>
        <translation>Error. The trace was aborted.</translation>
    </message>
    <message>
        <source>Плата не подтвердила включение трассировки до остановки.</source>
        <translation>The board did not confirm the trace switch-on before the stop.</translation>
    </message>
    <message>
        <source>Стандартный вывод не удалось записать.</source>
        <translation>Could not write to standard output.</translation>
    </message>
    <message>
        <source>команде show нужен файл</source>
        <translation>command show needs a file</translation>
    </message>
    <message>
        <source>передано %1/%2 байт</source>
        <translation>sent %1/%2 bytes</translation>
    </message>
    <message>
        <source>принято %1/%2 байт</source>
        <translation>received %1/%2 bytes</translation>
    </message>
    <message>
        <source>передано %1 из %2 байт</source>
        <translation>sent %1 of %2 bytes</translation>
    </message>
    <message>
        <source>принято %1 из %2 байт</source>
        <translation>received %1 of %2 bytes</translation>
    </message>
    <message>
        <source>демонстрационная плата</source>
        <translation>demo board</translation>
    </message>
    <message>
        <source>Ошибка. Сравнение конфигурации прервано.</source>
        <translation>Error. Configuration comparison aborted.</translation>
    </message>
    <message>
        <source>Конфигурация в плате совпадает с файлом.</source>
        <translation>The board&apos;s configuration matches the file.</translation>
    </message>
    <message>
        <source>Использование: q275-cli КОМАНДА [ПАРАМЕТРЫ]

Чтение, запись, проверка, идентификация и трассировка опциональных плат Q-275
через MOTOROLA RIB и просмотр файлов конфигурации .obd, по той же линии связи,
что и у терминала адаптера Q-275.

Команды:
  ports [--json]                последовательные порты, которые можно открыть
                                сейчас, с описанием, изготовителем, серийным
                                номером и именем /dev/serial/by-id; последним
                                DEMO, демонстрационная плата
  info  [-p ПОРТ] [--json]      модель, версия ПО, серийный номер и дата
                                изготовления платы, ID, REV и S/N процессора
  read  [-p ПОРТ] -o ФАЙЛ.obd   читает конфигурацию платы в файл (822 байта)
  write [-p ПОРТ] -i ФАЙЛ.obd [--verify]
                                записывает конфигурацию из файла в плату; с
                                --verify читает ее обратно и сравнивает
  test  [-p ПОРТ] -i ФАЙЛ.obd   загружает конфигурацию из файла в плату как
                                тестовую (в плате она не сохраняется)
  verify [-p ПОРТ] -i ФАЙЛ.obd  сравнивает конфигурацию платы с файлом
  trace [-p ПОРТ] [--mask M] [--seconds N]
                                выводит записи трассировки платы так, как их
                                показывает монитор трассировки
  show  ФАЙЛ.obd [--json]       выводит конфигурацию из файла в единицах
                                редакторов; плата не нужна

Параметры:
  -p, --port ПОРТ  последовательный порт (COM3, ttyUSB0, /dev/ttyUSB0, имя из
                   /dev/serial/by-id) или DEMO; без него - первая строка файла
                   Q275.ini в текущей папке
  -q, --quiet      в stderr только ошибки
  -v, --verbose    в stderr также строки порта и дампы всех кадров
  -h, --help       эта справка; &quot;q275-cli КОМАНДА --help&quot; - справка команды
      --version    версия программы

Параметры можно давать до и после команды, значение - через пробел или &quot;=&quot;
(--port=ПОРТ), флаги вместе (-qv); после &quot;--&quot; параметров нет. Файл &quot;-&quot; -
стандартный вывод для read -o и стандартный ввод для -i и show.
Результаты выводятся в stdout, ход работы и строки журнала связи - в stderr.
Код завершения: 0 - выполнено; 1 - ошибка линии (нет эха, нет ответа, истекло
время ожидания после всех попыток, порт не открылся); 2 - плата отказала (ответ
с ошибкой, статус не &quot;0&quot;, конфигурация с неверной контрольной суммой) или
хранит не ту конфигурацию, что ожидалась; 3 - неверный файл или неверные
параметры.
Каждая конфигурация, прочитанная из платы или принятая ею, сохраняется в
истории плат: папка данных пользователя, history/&lt;серийный номер&gt;/.
</source>
        <translation>Usage: q275-cli COMMAND [OPTIONS]

Reads, writes, tests, identifies and traces Q-275 option boards through a
MOTOROLA RIB and shows .obd configuration files, on the same link as the
Q-275 Terminal.

Commands:
  ports [--json]                the serial ports that can be opened now, with
                                their description, maker, serial number and
                                /dev/serial/by-id name; last DEMO, the demo
                                board
  info  [-p PORT] [--json]      the board&apos;s model, firmware version, serial
                                number and production date, processor ID,
                                REV and S/N
  read  [-p PORT] -o FILE.obd   reads the board&apos;s configuration into a file
                                (822 bytes)
  write [-p PORT] -i FILE.obd [--verify]
                                writes the configuration of a file into the
                                board; with --verify reads it back and compares
  test  [-p PORT] -i FILE.obd   loads the configuration of a file into the
                                board as a test (the board does not keep it)
  verify [-p PORT] -i FILE.obd  compares the board&apos;s configuration with a file
  trace [-p PORT] [--mask M] [--seconds N]
                                prints the board&apos;s trace records as the trace
                                monitor shows them
  show  FILE.obd [--json]       prints the configuration of a file in the
                                editors&apos; units; no board needed

Options:
  -p, --port PORT  serial port (COM3, ttyUSB0, /dev/ttyUSB0, a name under
                   /dev/serial/by-id) or DEMO; without it, the first line of
                   Q275.ini in the current folder
  -q, --quiet      only errors on stderr
  -v, --verbose    also the port lines and dumps of all frames on stderr
  -h, --help       this help; &quot;q275-cli COMMAND --help&quot; - help on a command
      --version    the version of the program

Options may come before or after the command, a value after a blank or &quot;=&quot;
(--port=PORT), flags together (-qv); after &quot;--&quot; there are no options. The file
&quot;-&quot; is standard output for read -o and standard input for -i and show.
Results go to stdout, progress and the link&apos;s log lines to stderr.
Exit status: 0 - done; 1 - the line failed (no echo, no answer, time-outs after
all attempts, the port did not open); 2 - the board refused (an error answer,
a status other than &quot;0&quot;, a configuration with a wrong checksum) or holds
another configuration than the one expected; 3 - a bad file or wrong options.
Every configuration read from a board or accepted by one is kept in the board
history: the user&apos;s data folder, history/&lt;serial number&gt;/.
</translation>
    </message>
    <message>
        <source>  -i ФАЙЛ          файл конфигурации (.obd); &quot;-&quot; - стандартный ввод
</source>
        <translation>  -i FILE          the configuration file (.obd); &quot;-&quot; - standard input
</translation>
    </message>
    <message>
        <source>Использование: q275-cli ports [--json]

Выводит последовательные порты, которые можно открыть сейчас (и порт из
Q275.ini, если его можно открыть), по одному в строке: имя, затем после
табуляции описание, изготовитель, серийный номер и имя в
/dev/serial/by-id, что из этого известно системе. Последним - DEMO,
демонстрационная плата.

  --json           массив объектов с ключами name, description,
                   manufacturer, serial_number, by_id
</source>
        <translation>Usage: q275-cli ports [--json]

Prints the serial ports that can be opened now (and the port of Q275.ini,
when it can be opened), one per line: the name, then after a tab the
description, maker, serial number and name under /dev/serial/by-id, as far
as the system knows them. Last comes DEMO, the demo board.

  --json           an array of objects with the keys name, description,
                   manufacturer, serial_number, by_id
</translation>
    </message>
    <message>
        <source>Использование: q275-cli read [-p ПОРТ] -o ФАЙЛ.obd [-q] [-v]

Читает конфигурацию платы (команды 0x79, 0x80, 0x76) и записывает файл
конфигурации (822 байта), как &quot;Сохранить как&quot; в терминале. Прежний файл
заменяется только после полного чтения с верной контрольной суммой.

  -o ФАЙЛ          файл, в который записывается конфигурация; &quot;-&quot; -
                   стандартный вывод
</source>
        <translation>Usage: q275-cli read [-p PORT] -o FILE.obd [-q] [-v]

Reads the board&apos;s configuration (commands 0x79, 0x80, 0x76) and writes a
configuration file (822 bytes), as &quot;Save As&quot; in the terminal does. An earlier
file is replaced only after a whole read with a correct checksum.

  -o FILE          the file the configuration is written into; &quot;-&quot; -
                   standard output
</translation>
    </message>
    <message>
        <source>Использование: q275-cli write [-p ПОРТ] -i ФАЙЛ.obd [--verify] [-q] [-v]

Записывает конфигурацию из файла в плату (команда 0x75). Перед записью
читаются данные платы (0x79, 0x80): копия записанной конфигурации
сохраняется в истории под серийным номером платы.

  --verify         после записи читает конфигурацию платы (0x76) и
                   сравнивает ее с записанной байт за байтом
</source>
        <translation>Usage: q275-cli write [-p PORT] -i FILE.obd [--verify] [-q] [-v]

Writes the configuration of a file into the board (command 0x75). The board
data (0x79, 0x80) are read first: a copy of the configuration written is kept
in the history under the board&apos;s serial number.

  --verify         after the write, reads the board&apos;s configuration (0x76)
                   and compares it with the one written byte by byte
</translation>
    </message>
    <message>
        <source>Использование: q275-cli verify [-p ПОРТ] -i ФАЙЛ.obd [-q] [-v]

Читает конфигурацию платы (команда 0x76) и сравнивает ее с файлом байт
за байтом, ничего не записывая; первое различие - ошибка с кодом 2.

</source>
        <translation>Usage: q275-cli verify [-p PORT] -i FILE.obd [-q] [-v]

Reads the board&apos;s configuration (command 0x76) and compares it with the file
byte by byte, writing nothing; the first difference is an error, status 2.

</translation>
    </message>
    <message>
        <source>Использование: q275-cli show ФАЙЛ.obd [--json]

Выводит конфигурацию из файла строками &quot;группа · параметр: значение&quot; в
единицах редакторов (дБ, мс, вкл./откл.). Плата не нужна. Файл &quot;-&quot; -
стандартный ввод.

  --json           объекты receiver, microphone, output и record с теми же
                   значениями; ключи перечислены в README
</source>
        <translation>Usage: q275-cli show FILE.obd [--json]

Prints the configuration of a file as lines &quot;group · setting: value&quot; in the
editors&apos; units (dB, ms, on/off). No board is needed. The file &quot;-&quot; is standard
input.

  --json           objects receiver, microphone, output and record with the
                   same values, in Russian whatever the language; the README
                   lists the keys
</translation>
    </message>
</context>
<context>
    <name>ConfigText</name>
    <message>
        <source>%1 дБ</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>%1 мс</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Вкл.</source>
        <translation>On</translation>
    </message>
    <message>
        <source>1 дБ</source>
        <translation>1 dB</translation>
    </message>
    <message>
        <source>2 дБ</source>
        <translation>2 dB</translation>
    </message>
    <message>
        <source>3 дБ</source>
        <translation>3 dB</translation>
    </message>
    <message>
        <source>Аттенюатор</source>
        <translation>Attenuator</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>Режим усилителя</source>
        <translation>Amplifier mode</translation>
    </message>
    <message>
        <source>АРУ</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Постоянный</source>
        <translation>Fixed gain</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Ограничение</source>
        <translation>Limiter</translation>
    </message>
    <message>
        <source>Уровень выхода АРУ</source>
        <translation>AGC output level</translation>
    </message>
    <message>
        <source>Макс. усиление АРУ</source>
        <translation>AGC max. gain</translation>
    </message>
    <message>
        <source>Нарастание</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>Спад</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>Задержка сигнала</source>
        <translation>Signal delay</translation>
    </message>
    <message>
        <source>Задержка шума</source>
        <translation>Noise delay</translation>
    </message>
    <message>
        <source>Отсечка шума</source>
        <translation>Squelch</translation>
    </message>
    <message>
        <source>Порог отсечки</source>
        <translation>Squelch hysteresis</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Включение канала</source>
        <translation>Channel on</translation>
    </message>
    <message>
        <source>Выключение канала</source>
        <translation>Channel off</translation>
    </message>
    <message>
        <source>Контакт № 3, приемник</source>
        <translation>Pin 3, receiver</translation>
    </message>
    <message>
        <source>Контакт № 3, микрофон</source>
        <translation>Pin 3, microphone</translation>
    </message>
    <message>
        <source>Контакт № 8, приемник</source>
        <translation>Pin 8, receiver</translation>
    </message>
    <message>
        <source>Контакт № 8, микрофон</source>
        <translation>Pin 8, microphone</translation>
    </message>
    <message>
        <source>Выход адаптера</source>
        <translation>Adapter output</translation>
    </message>
    <message>
        <source>%1, уровень</source>
        <translation>%1, level</translation>
    </message>
    <message>
        <source>Информация</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Резерв</source>
        <translation>Spare</translation>
    </message>
    <message>
        <source>Контрольная сумма</source>
        <translation>Checksum</translation>
    </message>
    <message>
        <source>Запись</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Вход приемника</source>
        <translation>Receiver input</translation>
    </message>
    <message>
        <source>Детектора несущей</source>
        <translation>Carrier detect</translation>
    </message>
    <message>
        <source>Разрешение аудио</source>
        <translation>RX audio enable</translation>
    </message>
    <message>
        <source>Запрет аудио</source>
        <translation>RX audio inhibit</translation>
    </message>
    <message>
        <source>Вход микрофона</source>
        <translation>Microphone input</translation>
    </message>
    <message>
        <source>Нажатия РТТ</source>
        <translation>PTT press</translation>
    </message>
    <message>
        <source>Разрешение передачи</source>
        <translation>TX audio enable</translation>
    </message>
    <message>
        <source>Отпускания РТТ</source>
        <translation>PTT release</translation>
    </message>
    <message>
        <source>Запрет передачи</source>
        <translation>TX audio inhibit</translation>
    </message>
    <message>
        <source>Байт %1</source>
        <translation>Byte %1</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>История пуста: копии появятся после чтения или записи платы.</source>
        <translation>The history is empty: copies appear once a board is read or written.</translation>
    </message>
    <message>
        <source>Запись повреждена: контрольная сумма конфигурации в ней неверна.</source>
        <translation>The entry is damaged: its configuration checksum is wrong.</translation>
    </message>
    <message>
        <source>Нет текущей конфигурации для сравнения.</source>
        <translation>There is no current configuration to compare with.</translation>
    </message>
    <message>
        <source>Запись совпадает с текущей конфигурацией.</source>
        <translation>The entry is the same as the current configuration.</translation>
    </message>
    <message>
        <source>Отличия записи от текущей конфигурации:</source>
        <translation>How the entry differs from the current configuration:</translation>
    </message>
</context>
<context>
    <name>HistoryClass</name>
    <message>
        <source>Платы</source>
        <translation>Boards</translation>
    </message>
    <message>
        <source>Серийные номера плат, новые записи сверху</source>
        <translation>Board serial numbers, newest entries first</translation>
    </message>
    <message>
        <source>Записи</source>
        <translation>Entries</translation>
    </message>
    <message>
        <source>Конфигурации, прочитанные из платы или записанные в нее</source>
        <translation>Configurations read from the board or written to it</translation>
    </message>
    <message>
        <source>Группа</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Параметр</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>В записи</source>
        <translation>In the entry</translation>
    </message>
    <message>
        <source>Текущая</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Загрузить запись как текущую конфигурацию</source>
        <translation>Load the entry as the current configuration</translation>
    </message>
    <message>
        <source>Сравнить</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>Сравнить запись с текущей конфигурацией</source>
        <translation>Compare the entry with the current configuration</translation>
    </message>
    <message>
        <source>Папка</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Открыть папку платы в файловом менеджере</source>
        <translation>Open the board&apos;s folder in the file manager</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>HistoryEntries</name>
    <message>
        <source>%1  чтение</source>
        <translation>%1  read</translation>
    </message>
    <message>
        <source>%1  запись</source>
        <translation>%1  write</translation>
    </message>
</context>
<context>
    <name>Info</name>
    <message>
        <source>Не поддерживается</source>
        <translation>Not supported</translation>
    </message>
</context>
<context>
    <name>InfoClass</name>
    <message>
        <source>Адаптер Q-275</source>
        <translation>Q-275 adapter</translation>
    </message>
    <message>
        <source>Модель опциональной платы</source>
        <translation>Option board model</translation>
    </message>
    <message>
        <source>Модель:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>Версия программного обеспечения опциональной платы</source>
        <translation>Option board firmware version</translation>
    </message>
    <message>
        <source>Версия ПО:</source>
        <translation>Firmware:</translation>
    </message>
    <message>
        <source>Серийный номер опциональной платы</source>
        <translation>Option board serial number</translation>
    </message>
    <message>
        <source>Сер. номер:</source>
        <translation>Serial no.:</translation>
    </message>
    <message>
        <source>Дата изготовления опциональной платы</source>
        <translation>Option board production date</translation>
    </message>
    <message>
        <source>Дата:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>Идентификатор микроконтроллера опциональной платы</source>
        <translation>Option board microcontroller ID</translation>
    </message>
    <message>
        <source>Процессор ID:</source>
        <translation>Processor ID:</translation>
    </message>
    <message>
        <source>Идентификатор контроллера опциональной платы</source>
        <translation>Option board controller ID</translation>
    </message>
    <message>
        <source>Ревизия микроконтроллера опциональной платы</source>
        <translation>Option board microcontroller revision</translation>
    </message>
    <message>
        <source>Процессор REV:</source>
        <translation>Processor REV:</translation>
    </message>
    <message>
        <source>Электронный серийный номер микроконтроллера опциональной платы</source>
        <translation>Electronic serial number of the option board microcontroller</translation>
    </message>
    <message>
        <source>Процессор S/N:</source>
        <translation>Processor S/N:</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>InpRxClass</name>
    <message>
        <source>Вход</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Режимы работы канала</source>
        <translation>Channel modes</translation>
    </message>
    <message>
        <source>Входной аттенюатор канала</source>
        <translation>Channel input attenuator</translation>
    </message>
    <message>
        <source>Аттенюатор</source>
        <translation>Attenuator</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Усиление канала</source>
        <translation>Channel gain</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>59,5</source>
        <translation>59.5</translation>
    </message>
    <message>
        <source>Уровень выходного сигнала в режиме АРУ</source>
        <translation>Output level in AGC mode</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>-5,5</source>
        <translation>-5.5</translation>
    </message>
    <message>
        <source>Максимальное усиление в режиме АРУ</source>
        <translation>Maximum gain in AGC mode</translation>
    </message>
    <message>
        <source>Макс. усиление</source>
        <translation>Max. gain</translation>
    </message>
    <message>
        <source>Включение (выключение) усилителя канала</source>
        <translation>Switches the channel amplifier on (off)</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>Режим работы усилителя с постоянным усилением</source>
        <translation>Amplifier with fixed gain</translation>
    </message>
    <message>
        <source>Постоянный</source>
        <translation>Fixed gain</translation>
    </message>
    <message>
        <source>Режим работы усилителя с автоматической регулировкой усиления</source>
        <translation>Amplifier with automatic gain control</translation>
    </message>
    <message>
        <source>АРУ</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Режим ограничения максимального уровня выходного сигнала</source>
        <translation>Limits the maximum output level</translation>
    </message>
    <message>
        <source>Ограничение</source>
        <translation>Limiter</translation>
    </message>
    <message>
        <source>Управление включением канала</source>
        <translation>What switches the channel on</translation>
    </message>
    <message>
        <source>Включение канала по сигналу</source>
        <translation>Channel on by signal</translation>
    </message>
    <message>
        <source>Включить канал по сигналу появления несущей</source>
        <translation>Switch the channel on when a carrier appears</translation>
    </message>
    <message>
        <source>Детектора несущей</source>
        <translation>Carrier detect</translation>
    </message>
    <message>
        <source>Включить канал по сигналу активации приемного аудиотракта радиостанции</source>
        <translation>Switch the channel on when the radio enables its receive audio path</translation>
    </message>
    <message>
        <source>Разрешение аудио</source>
        <translation>RX audio enable</translation>
    </message>
    <message>
        <source>Управление выключением канала</source>
        <translation>What switches the channel off</translation>
    </message>
    <message>
        <source>Выключение канала по сигналу</source>
        <translation>Channel off by signal</translation>
    </message>
    <message>
        <source>Выключить канал по сигналу пропадания несущей</source>
        <translation>Switch the channel off when the carrier is lost</translation>
    </message>
    <message>
        <source>Выключить канал по сигналу отключения приемного аудиотракта радиостанции</source>
        <translation>Switch the channel off when the radio inhibits its receive audio path</translation>
    </message>
    <message>
        <source>Запрет аудио</source>
        <translation>RX audio inhibit</translation>
    </message>
    <message>
        <source>Параметры  усилителя в режиме АРУ</source>
        <translation>Amplifier settings in AGC mode</translation>
    </message>
    <message>
        <source>Скорость изменения усиления</source>
        <translation>Gain change rate</translation>
    </message>
    <message>
        <source>Время нарастания усиления</source>
        <translation>Gain attack time</translation>
    </message>
    <message>
        <source>Нарастание</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Время спада усиления</source>
        <translation>Gain decay time</translation>
    </message>
    <message>
        <source>Спад</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>Задержка детектирования</source>
        <translation>Detection delay</translation>
    </message>
    <message>
        <source>Время детектирования появления сигнала</source>
        <translation>Time to detect a signal</translation>
    </message>
    <message>
        <source>Сигнал</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Время детектирования пропадания сигнала</source>
        <translation>Time to detect the loss of the signal</translation>
    </message>
    <message>
        <source>Шум</source>
        <translation>Noise</translation>
    </message>
    <message>
        <source>Уровень детектирования сигнал - шум</source>
        <translation>Signal/noise detection level</translation>
    </message>
    <message>
        <source>Отсечка шума</source>
        <translation>Squelch</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Гистерезис детектирования сигнал / шум</source>
        <translation>Signal/noise detection hysteresis</translation>
    </message>
    <message>
        <source>Порог отсечки</source>
        <translation>Squelch hysteresis</translation>
    </message>
    <message>
        <source>1 дБ</source>
        <translation>1 dB</translation>
    </message>
    <message>
        <source>2 дБ</source>
        <translation>2 dB</translation>
    </message>
    <message>
        <source>3 дБ</source>
        <translation>3 dB</translation>
    </message>
    <message>
        <source>Режим контроля параметров канала</source>
        <translation>Live control: changes go to the board at once</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>Сброс параметров канала к начальным значениям</source>
        <translation>Reset the channel settings to their defaults</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранение установленных параметров канала</source>
        <translation>Save the channel settings</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Выход без сохранения параметров канала</source>
        <translation>Close without saving the channel settings</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>InpTxClass</name>
    <message>
        <source>Вход</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Режимы работы канала</source>
        <translation>Channel modes</translation>
    </message>
    <message>
        <source>Входной аттенюатор канала</source>
        <translation>Channel input attenuator</translation>
    </message>
    <message>
        <source>Аттенюатор</source>
        <translation>Attenuator</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Усиление канала</source>
        <translation>Channel gain</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>59,5</source>
        <translation>59.5</translation>
    </message>
    <message>
        <source>Уровень выходного сигнала в режиме АРУ</source>
        <translation>Output level in AGC mode</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>-5,5</source>
        <translation>-5.5</translation>
    </message>
    <message>
        <source>Макс. усиление</source>
        <translation>Max. gain</translation>
    </message>
    <message>
        <source>Максимальное усиление в режиме АРУ</source>
        <translation>Maximum gain in AGC mode</translation>
    </message>
    <message>
        <source>Включение (выключение) усилителя канала</source>
        <translation>Switches the channel amplifier on (off)</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>Режим работы усилителя с постоянным усилением</source>
        <translation>Amplifier with fixed gain</translation>
    </message>
    <message>
        <source>Постоянный</source>
        <translation>Fixed gain</translation>
    </message>
    <message>
        <source>Режим работы усилителя с автоматической регулировкой усиления</source>
        <translation>Amplifier with automatic gain control</translation>
    </message>
    <message>
        <source>АРУ</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Режим ограничения максимального уровня выходного сигнала</source>
        <translation>Limits the maximum output level</translation>
    </message>
    <message>
        <source>Ограничение</source>
        <translation>Limiter</translation>
    </message>
    <message>
        <source>Управление включением канала</source>
        <translation>What switches the channel on</translation>
    </message>
    <message>
        <source>Включение канала по сигналам</source>
        <translation>Channel on by signals</translation>
    </message>
    <message>
        <source>Включить канал по сигналу нажатия тангенты РТТ</source>
        <translation>Switch the channel on when PTT is pressed</translation>
    </message>
    <message>
        <source>Нажатия РТТ</source>
        <translation>PTT press</translation>
    </message>
    <message>
        <source>Включить канал по сигналу активации передающего аудиотракта радиостанции</source>
        <translation>Switch the channel on when the radio enables its transmit audio path</translation>
    </message>
    <message>
        <source>Разрешение передачи</source>
        <translation>TX audio enable</translation>
    </message>
    <message>
        <source>Управление выключением канала</source>
        <translation>What switches the channel off</translation>
    </message>
    <message>
        <source>Выключение канала по сигналам</source>
        <translation>Channel off by signals</translation>
    </message>
    <message>
        <source>Выключить канал по сигналу отпускания тангенты РТТ</source>
        <translation>Switch the channel off when PTT is released</translation>
    </message>
    <message>
        <source>Отпускания РТТ</source>
        <translation>PTT release</translation>
    </message>
    <message>
        <source>Выключить канал по сигналу отключения передающего аудиотракта радиостанции</source>
        <translation>Switch the channel off when the radio inhibits its transmit audio path</translation>
    </message>
    <message>
        <source>Запрет передачи</source>
        <translation>TX audio inhibit</translation>
    </message>
    <message>
        <source>Параметры  усилителя в режиме АРУ</source>
        <translation>Amplifier settings in AGC mode</translation>
    </message>
    <message>
        <source>Скорость изменения усиления</source>
        <translation>Gain change rate</translation>
    </message>
    <message>
        <source>Время нарастания усиления</source>
        <translation>Gain attack time</translation>
    </message>
    <message>
        <source>Нарастание</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Время спада усиления</source>
        <translation>Gain decay time</translation>
    </message>
    <message>
        <source>Спад</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>Задержка детектирования</source>
        <translation>Detection delay</translation>
    </message>
    <message>
        <source>Время детектирования появления сигнала</source>
        <translation>Time to detect a signal</translation>
    </message>
    <message>
        <source>Сигнал</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Время детектирования пропадания сигнала</source>
        <translation>Time to detect the loss of the signal</translation>
    </message>
    <message>
        <source>Шум</source>
        <translation>Noise</translation>
    </message>
    <message>
        <source>Уровень детектирования сигнал - шум</source>
        <translation>Signal/noise detection level</translation>
    </message>
    <message>
        <source>Отсечка шума</source>
        <translation>Squelch</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Гистерезис детектирования сигнал / шум</source>
        <translation>Signal/noise detection hysteresis</translation>
    </message>
    <message>
        <source>Порог отсечки</source>
        <translation>Squelch hysteresis</translation>
    </message>
    <message>
        <source>1 дБ</source>
        <translation>1 dB</translation>
    </message>
    <message>
        <source>2 дБ</source>
        <translation>2 dB</translation>
    </message>
    <message>
        <source>3 дБ</source>
        <translation>3 dB</translation>
    </message>
    <message>
        <source>Режим контроля параметров канала</source>
        <translation>Live control: changes go to the board at once</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>Сброс параметров канала к начальным значениям</source>
        <translation>Reset the channel settings to their defaults</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранение установленных параметров канала</source>
        <translation>Save the channel settings</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Выход без сохранения параметров канала</source>
        <translation>Close without saving the channel settings</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Load</name>
    <message>
        <source>Запрос идентификатора устройства</source>
        <translation>Asking for the device identifier</translation>
    </message>
    <message>
        <source>Контроллер %1, загрузка ПО.</source>
        <translation>Controller %1, loading firmware.</translation>
    </message>
    <message>
        <source>Контроллер %1, проверка ПО.</source>
        <translation>Controller %1, verifying firmware.</translation>
    </message>
    <message>
        <source>Контроллер %1, ПО загружено.</source>
        <translation>Controller %1, firmware loaded.</translation>
    </message>
    <message>
        <source>Ошибка. Загрузка ПО прервана.</source>
        <translation>Error. Firmware loading was aborted.</translation>
    </message>
</context>
<context>
    <name>ObdFile</name>
    <message>
        <source>Файл %1 не соответсвует типу устройства.</source>
        <translation>File %1 does not match the device type.</translation>
    </message>
    <message>
        <source>Файл %1 не удалось открыть.</source>
        <translation>Could not open file %1.</translation>
    </message>
    <message>
        <source>Файл %1 не удалось прочитать.</source>
        <translation>Could not read file %1.</translation>
    </message>
    <message>
        <source>Ошибка контрольной суммы заголовка файла</source>
        <translation>File header checksum error</translation>
    </message>
    <message>
        <source>Конфигурация адаптера Q-275, (%1 байт) записана в файл: %2</source>
        <translation>Q-275 configuration (%1 bytes) written to file: %2</translation>
    </message>
</context>
<context>
    <name>OutputClass</name>
    <message>
        <source>Выход контакт № 3</source>
        <translation>Output pin 3</translation>
    </message>
    <message>
        <source>Регулировка уровня выходного сигнала приемника радиостанции</source>
        <translation>Output level of the radio&apos;s receiver signal</translation>
    </message>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Регулировка уровня выходного сигнала микрофона радиостанции</source>
        <translation>Output level of the radio&apos;s microphone signal</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Выход контакт № 8</source>
        <translation>Output pin 8</translation>
    </message>
    <message>
        <source>Режим контроля параметров </source>
        <translation>Live control: changes go to the board at once</translation>
    </message>
    <message>
        <source>Режим контроля параметров</source>
        <translation>Live control: changes go to the board at once</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>Сброс параметров  к начальным значениям</source>
        <translation>Reset the settings to their defaults</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранение установленных параметров</source>
        <translation>Save the settings</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Выход без сохранения параметров</source>
        <translation>Close without saving the settings</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>PortClass</name>
    <message>
        <source>Выбор СОМ порта</source>
        <translation>COM port</translation>
    </message>
    <message>
        <source>Последовательный порт</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>Выбор последовательного порта для связи с радиостанцией</source>
        <translation>The serial port that reaches the radio</translation>
    </message>
    <message>
        <source>Сохранение выбранного порта</source>
        <translation>Save the chosen port</translation>
    </message>
    <message>
        <source>Ввод</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Выход без сохранения</source>
        <translation>Close without saving</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>PortFile</name>
    <message>
        <source>это папка</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>Файл %1 не удалось прочитать: %2</source>
        <translation>Could not read file %1: %2</translation>
    </message>
</context>
<context>
    <name>PortName</name>
    <message>
        <source>имя порта слишком длинное (%1 символов, не более %2)</source>
        <translation>the port name is too long (%1 characters, at most %2)</translation>
    </message>
    <message>
        <source>в имени порта есть управляющий символ</source>
        <translation>the port name holds a control character</translation>
    </message>
</context>
<context>
    <name>Q275</name>
    <message>
        <source>Конфигурация адаптера Q-275 повреждена</source>
        <translation>The Q-275 configuration is corrupt</translation>
    </message>
    <message>
        <source>Терминал адаптера Q-275</source>
        <translation>Q-275 Terminal</translation>
    </message>
    <message>
        <source>Прочитать</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Проверить</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Загрузить ПО</source>
        <translation>Load firmware</translation>
    </message>
    <message>
        <source>Трассировка</source>
        <translation>Trace</translation>
    </message>
    <message>
        <source>Информация</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Вход приемника</source>
        <translation>Receiver input</translation>
    </message>
    <message>
        <source>Вход микрофона</source>
        <translation>Microphone input</translation>
    </message>
    <message>
        <source>Выход адаптера</source>
        <translation>Adapter output</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>История плат</source>
        <translation>Board history</translation>
    </message>
    <message>
        <source>Задачи</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Адаптер</source>
        <translation>Adapter</translation>
    </message>
    <message>
        <source>Монитор</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>&amp;Создать</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>Cоздать файл конфигурации устройства</source>
        <translation>Create a device configuration file</translation>
    </message>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Открыть файл конфигурации устройства</source>
        <translation>Open a device configuration file</translation>
    </message>
    <message>
        <source>&amp;Сохранить</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Сохранить файл конфигурации устройства</source>
        <translation>Save the device configuration file</translation>
    </message>
    <message>
        <source>&amp;Сохранить как</source>
        <translation>Save &amp;As</translation>
    </message>
    <message>
        <source>Сохранить файл конфигурации устройства как...</source>
        <translation>Save the device configuration file as...</translation>
    </message>
    <message>
        <source>&amp;История плат...</source>
        <translation>Board &amp;History...</translation>
    </message>
    <message>
        <source>Конфигурации, прочитанные из плат и записанные в них</source>
        <translation>Configurations read from boards and written to them</translation>
    </message>
    <message>
        <source>&amp;Закрыть...</source>
        <translation>&amp;Close...</translation>
    </message>
    <message>
        <source>Закрыть файл конфигурации устройства</source>
        <translation>Close the device configuration file</translation>
    </message>
    <message>
        <source>&amp;Выход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Выйти из программы</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>&amp;Прочитать</source>
        <translation>&amp;Read</translation>
    </message>
    <message>
        <source>Прочитать конфигурацию из устройства</source>
        <translation>Read the configuration from the device</translation>
    </message>
    <message>
        <source>&amp;Проверить</source>
        <translation>&amp;Test</translation>
    </message>
    <message>
        <source>Проверить конфигурацию из устройства</source>
        <translation>Test the configuration on the device</translation>
    </message>
    <message>
        <source>&amp;Записать</source>
        <translation>&amp;Write</translation>
    </message>
    <message>
        <source>Записать конфигурацию в устройство</source>
        <translation>Write the configuration into the device</translation>
    </message>
    <message>
        <source>&amp;Пользовательский</source>
        <translation>&amp;User</translation>
    </message>
    <message>
        <source>Установить пользовательский режим</source>
        <translation>Switch to user mode</translation>
    </message>
    <message>
        <source>&amp;Сервис</source>
        <translation>S&amp;ervice</translation>
    </message>
    <message>
        <source>Установить сервисный режим</source>
        <translation>Switch to a service mode</translation>
    </message>
    <message>
        <source>&amp;СОМ Порт</source>
        <translation>&amp;COM Port</translation>
    </message>
    <message>
        <source>Установка COM порта</source>
        <translation>Choose the COM port</translation>
    </message>
    <message>
        <source>&amp;О программе</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Информация о версии программы</source>
        <translation>Program version information</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Закрыть активное окно</source>
        <translation>Close the active window</translation>
    </message>
    <message>
        <source>Закрыть все</source>
        <translation>Close All</translation>
    </message>
    <message>
        <source>Закрыть все окна</source>
        <translation>Close all windows</translation>
    </message>
    <message>
        <source>Развернуть</source>
        <translation>Tile</translation>
    </message>
    <message>
        <source>Развернуть все окна</source>
        <translation>Tile all windows</translation>
    </message>
    <message>
        <source>Каскадом</source>
        <translation>Cascade</translation>
    </message>
    <message>
        <source>Каскад окон</source>
        <translation>Cascade the windows</translation>
    </message>
    <message>
        <source>Сохранить журнал...</source>
        <translation>Save Log...</translation>
    </message>
    <message>
        <source>Сохранить журнал программы в текстовый файл, старые строки первыми</source>
        <translation>Save the program log to a text file, oldest lines first</translation>
    </message>
    <message>
        <source>Очистить журнал</source>
        <translation>Clear Log</translation>
    </message>
    <message>
        <source>Удалить все строки журнала программы</source>
        <translation>Delete every line of the program log</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Задачи</source>
        <translation>&amp;Tasks</translation>
    </message>
    <message>
        <source>&amp;Опции</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>Окно</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>&amp;Справка</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Как в системе</source>
        <translation>As the system</translation>
    </message>
    <message>
        <source>Язык программы: меняется при следующем запуске</source>
        <translation>The program&apos;s language: it changes at the next start</translation>
    </message>
    <message>
        <source>&amp;Язык</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>Язык сменится при следующем запуске программы</source>
        <translation>The language changes when the program starts next</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Лог программы</source>
        <translation>Program log</translation>
    </message>
    <message>
        <source>Сохранить журнал</source>
        <translation>Save Log</translation>
    </message>
    <message>
        <source>Текстовые файлы (*.txt);;Все файлы (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>Файл сохранен</source>
        <translation>File saved</translation>
    </message>
    <message>
        <source>Порт не выбран</source>
        <translation>No port chosen</translation>
    </message>
    <message>
        <source>Порт: %1</source>
        <translation>Port: %1</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>Создана новая конфигурация адаптера Q-275 </source>
        <translation>New Q-275 configuration created</translation>
    </message>
    <message>
        <source>Файл функциональной платы Q275(*.obd);;Все файлы (*)</source>
        <translation>Q275 option board file (*.obd);;All files (*)</translation>
    </message>
    <message>
        <source>Сохранить файл</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>Файл открыт</source>
        <translation>File opened</translation>
    </message>
    <message>
        <source>Загружена конфигурация из файла: %1 (%2 байт)</source>
        <translation>Configuration loaded from file: %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>Закрыть текущее устройство</source>
        <translation>Close the current device?</translation>
    </message>
    <message>
        <source>&amp;Да</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Нет</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Конфигурация изменена. Сохранить изменения?</source>
        <translation>The configuration has changed. Save the changes?</translation>
    </message>
    <message>
        <source>&amp;Не сохранять</source>
        <translation>&amp;Don&apos;t Save</translation>
    </message>
    <message>
        <source>&amp;Отмена</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Список операций адаптера Q-275</source>
        <translation>Q-275 adapter operations</translation>
    </message>
    <message>
        <source>Прочитать конфигурацию адаптера</source>
        <translation>Read the adapter configuration</translation>
    </message>
    <message>
        <source>Проверить конфигурацию адаптера</source>
        <translation>Test the adapter configuration</translation>
    </message>
    <message>
        <source>Записать конфигурацию адаптера</source>
        <translation>Write the adapter configuration</translation>
    </message>
    <message>
        <source>Список интерфейсов адаптера</source>
        <translation>Adapter interfaces</translation>
    </message>
    <message>
        <source>Канал сигнала приемника радиостанции</source>
        <translation>The radio&apos;s receiver signal channel</translation>
    </message>
    <message>
        <source>Канал сигнала микрофона радиостанции</source>
        <translation>The radio&apos;s microphone signal channel</translation>
    </message>
    <message>
        <source>Уровни выходных сигналов адаптера</source>
        <translation>Adapter output levels</translation>
    </message>
    <message>
        <source>Информация о версии адаптера</source>
        <translation>Adapter version information</translation>
    </message>
    <message>
        <source>Загружена конфигурация адаптера Q-275</source>
        <translation>Q-275 configuration loaded</translation>
    </message>
    <message>
        <source> Q-275</source>
        <translation> Q-275</translation>
    </message>
    <message>
        <source>ПО контроллера (*.rom);;Все файлы (*)</source>
        <translation>Controller firmware (*.rom);;All files (*)</translation>
    </message>
    <message>
        <source>Файл %1 не удалось открыть.</source>
        <translation>Could not open file %1.</translation>
    </message>
    <message>
        <source>Файл %1 не удалось прочитать.</source>
        <translation>Could not read file %1.</translation>
    </message>
    <message>
        <source>Записана конфигурация</source>
        <translation>Configuration written</translation>
    </message>
    <message>
        <source>Прочитана конфигурация</source>
        <translation>Configuration read</translation>
    </message>
    <message>
        <source>Проверять запись чтением</source>
        <translation>Verify the write by reading back</translation>
    </message>
    <message>
        <source>После записи конфигурация читается из платы и сравнивается с записанной</source>
        <translation>After a write the configuration is read from the board and compared with what was written</translation>
    </message>
</context>
<context>
    <name>Read</name>
    <message>
        <source>Чтение конфигурации адаптера Q-275</source>
        <translation>Reading the Q-275 configuration</translation>
    </message>
    <message>
        <source>Ошибка. Прочитанная конфигурация повреждена.</source>
        <translation>Error. The configuration read is corrupt.</translation>
    </message>
    <message>
        <source>Конфигурация адаптера прочитана.</source>
        <translation>Adapter configuration read.</translation>
    </message>
    <message>
        <source>Ошибка. Чтение конфигурации прервано.</source>
        <translation>Error. Reading the configuration was aborted.</translation>
    </message>
</context>
<context>
    <name>ReadClass</name>
    <message>
        <source>Загрузка конфигурации</source>
        <translation>Loading the configuration</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>SafeSave</name>
    <message>
        <source>Файл %1 не удалось открыть.</source>
        <translation>Could not open file %1.</translation>
    </message>
    <message>
        <source>Файл %1 не удалось записать.</source>
        <translation>Could not write file %1.</translation>
    </message>
</context>
<context>
    <name>ServiceClass</name>
    <message>
        <source>Выбор сервисного режима</source>
        <translation>Service mode</translation>
    </message>
    <message>
        <source>Сервисный код</source>
        <translation>Service code</translation>
    </message>
    <message>
        <source>Ввод</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>нет такого файла или устройства</source>
        <translation>no such file or device</translation>
    </message>
    <message>
        <source>устройство отсутствует или не подключено</source>
        <translation>the device is missing or not connected</translation>
    </message>
    <message>
        <source>нет прав доступа</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>действие не разрешено</source>
        <translation>operation not permitted</translation>
    </message>
    <message>
        <source>устройство занято</source>
        <translation>the device is busy</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>это папка</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>это не последовательный порт</source>
        <translation>it is not a serial port</translation>
    </message>
    <message>
        <source>нет места на диске</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>файловая система только для чтения</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>слишком длинное имя</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>открыто слишком много файлов</source>
        <translation>too many open files</translation>
    </message>
</context>
<context>
    <name>TInpChan</name>
    <message>
        <source>Управление каналом по сигналу</source>
        <translation>Channel switched by signal</translation>
    </message>
</context>
<context>
    <name>TLink</name>
    <message>
        <source>Ошибка, контрольной суммы в пакете принятом адаптером Q-275</source>
        <translation>Error: checksum of the packet the Q-275 adapter received</translation>
    </message>
    <message>
        <source>Ошибка, выполнения команды адаптером Q-275</source>
        <translation>Error: the Q-275 adapter failed to carry out the command</translation>
    </message>
    <message>
        <source>Команда на поддерживается версией адаптера Q-275</source>
        <translation>This Q-275 adapter version does not support the command</translation>
    </message>
    <message>
        <source>Открыт порт %1</source>
        <translation>Port %1 opened</translation>
    </message>
    <message>
        <source>Закрыт порт %1</source>
        <translation>Port %1 closed</translation>
    </message>
    <message>
        <source>порт не задан</source>
        <translation>no port set</translation>
    </message>
    <message>
        <source>Не удалось открыть порт %1: %2</source>
        <translation>Could not open port %1: %2</translation>
    </message>
    <message>
        <source>порт занят другой программой</source>
        <translation>the port is in use by another program</translation>
    </message>
    <message>
        <source>нет прав доступа — добавьте пользователя в группу dialout и войдите заново</source>
        <translation>permission denied — add the user to the dialout group and log in again</translation>
    </message>
    <message>
        <source>нет прав доступа</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>это не последовательный порт</source>
        <translation>it is not a serial port</translation>
    </message>
    <message>
        <source>порт не найден</source>
        <translation>port not found</translation>
    </message>
    <message>
        <source>Ошибка порта %1: %2</source>
        <translation>Port %1 error: %2</translation>
    </message>
    <message>
        <source>Ошибка приема данных от радиостанции: %1</source>
        <translation>Error receiving data from the radio: %1</translation>
    </message>
    <message>
        <source>Ошибка приема данных от опциональной платы: %1</source>
        <translation>Error receiving data from the option board: %1</translation>
    </message>
    <message>
        <source>Ошибка соединения с MOTOROLA RIB</source>
        <translation>MOTOROLA RIB connection error</translation>
    </message>
    <message>
        <source>Ошибка передачи данных через MOTOROLA RIB</source>
        <translation>Error sending data through the MOTOROLA RIB</translation>
    </message>
    <message>
        <source>Запрос повторной передачи</source>
        <translation>Retransmission requested</translation>
    </message>
    <message>
        <source>Превышено время ожидания ACK</source>
        <translation>Timed out waiting for ACK</translation>
    </message>
    <message>
        <source>Ошибка, код ответа опциональной платы: 0x%1</source>
        <translation>Error: option board answer code 0x%1</translation>
    </message>
    <message>
        <source>Ошибка идентификатора пакета опциональной платы: %1</source>
        <translation>Wrong option board packet identifier: %1</translation>
    </message>
    <message>
        <source>Передача прервана: MOTOROLA RIB не подтвердил прием ни в одной из попыток</source>
        <translation>Transfer aborted: the MOTOROLA RIB acknowledged none of the attempts</translation>
    </message>
    <message>
        <source>Передача прервана: плата не ответила верно ни на одну из попыток</source>
        <translation>Transfer aborted: the board answered none of the attempts correctly</translation>
    </message>
    <message>
        <source>Передача прервана: порт %1 закрыт или отключен</source>
        <translation>Transfer aborted: port %1 is closed or disconnected</translation>
    </message>
    <message>
        <source>Передача прервана: не удалось настроить порт %1</source>
        <translation>Transfer aborted: could not set up port %1</translation>
    </message>
    <message>
        <source>Команда 0x%1 не передана: данные не помещаются в кадр (%2 байт, не более %3)</source>
        <translation>Command 0x%1 not sent: its data do not fit a frame (%2 bytes, at most %3)</translation>
    </message>
    <message>
        <source>Повтор передачи - попытка=%1</source>
        <translation>Sending again - attempt=%1</translation>
    </message>
</context>
<context>
    <name>TProgress</name>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TScale</name>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>TTest</name>
    <message>
        <source>Проверка конфигурации адаптера Q-275</source>
        <translation>Testing the Q-275 configuration</translation>
    </message>
    <message>
        <source>Проверка конфигурации адаптера Q-275 выполнена.</source>
        <translation>Q-275 configuration test done.</translation>
    </message>
    <message>
        <source>Ошибка. Загрузка конфигурации прервана.</source>
        <translation>Error. Loading the configuration was aborted.</translation>
    </message>
</context>
<context>
    <name>TThread</name>
    <message>
        <source>Ошибка в передаче команд кодека</source>
        <translation>Error sending the codec commands</translation>
    </message>
    <message>
        <source>Передача команд кодека выполнена успешно</source>
        <translation>Codec commands sent</translation>
    </message>
    <message>
        <source>Ошибка в передаче команд управления канала приемника</source>
        <translation>Error sending the receiver channel control commands</translation>
    </message>
    <message>
        <source>Передача команд управления выполнена успешно</source>
        <translation>Control commands sent</translation>
    </message>
    <message>
        <source>Ошибка в передаче команд управления канала микрофона</source>
        <translation>Error sending the microphone channel control commands</translation>
    </message>
    <message>
        <source>Загрузка тестовой конфигурации выполнена</source>
        <translation>Test configuration loaded</translation>
    </message>
    <message>
        <source>Процесс загрузки конфигурации выполнен</source>
        <translation>Configuration written to the board</translation>
    </message>
    <message>
        <source>Процесс загрузки информации выполнен</source>
        <translation>Board data written</translation>
    </message>
    <message>
        <source>Адаптер Q-275 версия 0.0</source>
        <translation>Q-275 adapter version 0.0</translation>
    </message>
    <message>
        <source>Процесс чтения конфигурации выполнен</source>
        <translation>Configuration read from the board</translation>
    </message>
    <message>
        <source>Копия конфигурации не сохранена в истории плат: %1</source>
        <translation>The configuration copy was not kept in the board history: %1</translation>
    </message>
    <message>
        <source>Конфигурация в плате отличается: байт %1, ожидался %2, прочитан %3</source>
        <translation>The board&apos;s configuration differs: byte %1, expected %2, read %3</translation>
    </message>
    <message>
        <source>Конфигурация в плате совпадает с ожидаемой</source>
        <translation>The board&apos;s configuration matches the one expected</translation>
    </message>
</context>
<context>
    <name>Trace</name>
    <message>
        <source>Cтоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cтарт</source>
        <translation>Start</translation>
    </message>
</context>
<context>
    <name>TraceClass</name>
    <message>
        <source>Каналы</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TraceLine</name>
    <message>
        <source>ошибка канала=%1 ; n=%2</source>
        <translation>channel error=%1 ; n=%2</translation>
    </message>
</context>
<context>
    <name>Write</name>
    <message>
        <source>Загрузка конфигурации адаптера Q-275</source>
        <translation>Writing the Q-275 configuration</translation>
    </message>
    <message>
        <source>Конфигурации адаптера Q-275 записана.</source>
        <translation>Q-275 configuration written.</translation>
    </message>
    <message>
        <source>Ошибка. Запись конфигурации прервана.</source>
        <translation>Error. Writing the configuration was aborted.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>неизвестный параметр %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>лишний аргумент %1: открывается один файл</source>
        <translation>extra argument %1: one file is opened</translation>
    </message>
    <message>
        <source>Использование: q275-terminal [ПАРАМЕТРЫ] [ФАЙЛ.obd]

Терминал адаптера Q-275: чтение, настройка, проверка и запись конфигурации
опциональной платы Q-275 через MOTOROLA RIB. Файл конфигурации, названный в
командной строке, открывается при запуске так же, как командой &quot;Открыть&quot;.

Параметры:
  -h, --help     эта справка
      --version  версия программы
  --             дальше только имя файла, даже если оно начинается с &quot;-&quot;

Принимаются и параметры самой библиотеки Qt (-platform, -style и другие).
Код завершения: 0 - программа закрыта; 2 - неверные параметры.
</source>
        <translation>Usage: q275-terminal [OPTIONS] [FILE.obd]

Q-275 Terminal: reads, edits, tests and writes the configuration of the Q-275
option board through a MOTOROLA RIB. A configuration file named on the command
line is opened at start as the &quot;Open&quot; command would open it.

Options:
  -h, --help     this help
      --version  the program&apos;s version
  --             only a file name follows, even one that starts with &quot;-&quot;

Qt&apos;s own options are taken too (-platform, -style and others).
Exit status: 0 - the program was closed; 2 - wrong options.
</translation>
    </message>
    <message>
        <source>Справка: q275-terminal --help</source>
        <translation>Help: q275-terminal --help</translation>
    </message>
</context>
</TS>
