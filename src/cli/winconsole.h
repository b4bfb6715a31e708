#ifndef WINCONSOLE_H
#define WINCONSOLE_H

// q275-cli in a Windows console: plain Win32, built on Windows only. What q275-cli writes is
// UTF-8 (the Russian texts), its progress bar wants a real console, and Ctrl+C must end a
// trace as it does on Linux, with the board's trace switched off.
class WinConsole
{
public:
    // Switches the console's output to UTF-8, and lets its progress bar clear a line (virtual
    // terminal sequences), while the program runs: what the console had comes back at exit,
    // after Ctrl+C too. Nothing happens without a console.
    static void begin();
    // True when the descriptor is a console: not a file, a pipe or NUL.
    static bool isConsole(int fd);
    // Ctrl+C and Ctrl+Break call stop, on a thread of the system's, instead of ending the
    // program, until releaseStop().
    static void catchStop(void (*stop)());
    static void releaseStop();
};

#endif // WINCONSOLE_H
