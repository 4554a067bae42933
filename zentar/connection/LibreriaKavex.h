#pragma once
// The calls Zentar makes into the terminal link library Kavex, one member per export, with Qt
// texts in place of C strings. Every member calls the export of the same name; a caller that
// needs to watch or steer the library (a test, a log) derives from it and overrides the members
// it cares about. Terminal texts travel as 8-bit Latin-1, local paths in the file system's
// encoding.

#include <cstdint>

#include <QByteArray>
#include <QString>

namespace zentar {

class LibreriaKavex {
public:
    virtual ~LibreriaKavex() = default;

    virtual int32_t InitCOMM(int32_t porta, int32_t modalita, int32_t baud, int32_t parita);
    virtual int32_t ExitCOMM();
    virtual int32_t DialNumber(const QString& init, const QString& numero, int32_t attesa);
    virtual int32_t HangUp();
    virtual int32_t ChangeAdapter(const QString& indirizzo);
    virtual int32_t SetIPAddress(const QString& indirizzo);
    // The box's answer is read into a buffer of the size Kavex asks for and not kept.
    virtual int32_t LbxCommand(const QString& comando);
    virtual int32_t SetTerminal(int32_t terminale);
    virtual int32_t PostCommand(const QString& comando);
    // Waits up to a second for a line; 0 and the line (up to its first zero byte) when one came.
    virtual int32_t GetMsgEx(QString& riga);
    virtual int32_t RecvFile(const QString& nome, const QString& percorso);
    virtual int32_t DeleFile(const QString& nome);
    virtual int32_t EnableMeter(int32_t acceso);
    // A numbered configuration parameter; `valore` gets the text up to the buffer's first zero
    // byte when the result is 0.
    virtual int32_t GetParameter(int32_t numero, QString& valore);
    virtual int32_t SetParameter(int32_t numero, const QString& valore);
    // The terminal's calendar "wyymmdd" and clock "hhmmss"; the texts are read from 128-byte
    // buffers and are empty when the library left them unfilled.
    virtual int32_t GetDate(QString& data);
    virtual int32_t GetTime(QString& ora);
    virtual int32_t SetDate(const QString& data);
    virtual int32_t SetTime(const QString& ora);
    virtual int32_t ChgDrv(const QString& unita);
    // The listing into a 32000-byte buffer of 16-byte slots; the number of entries.
    virtual int32_t ListFiles(const QString& maschera, QByteArray& elenco);
    virtual int32_t SendFile(const QString& percorso, const QString& nome, int32_t opzione, int32_t numero);
    // The current error code, and its text in `testo`.
    virtual int32_t GetError(QString& testo);
};

}  // namespace zentar
