#pragma once
// The pictures Zentar shows, drawn rather than shipped: the connection indicator of the main
// window (a lamp, lit while a terminal is connected) and the application icon.

#include <QImage>
#include <QString>

#include <vector>

namespace zentar {

// The size of the connection indicator in the main window.
inline constexpr int kLarghezzaSpia = 27;
inline constexpr int kAltezzaSpia = 25;

// The indicator: a green lit lamp, or a dark unlit one, on the window's grey.
QImage DisegnaSpia(bool accesa);

// The application icon, `lato` pixels square, on a transparent ground: a clock face with a
// badge in front of it.
QImage DisegnaIcona(int lato);

struct FileImmagine {
    QString nome;    // the file name inside the images folder
    QImage immagine;
    const char* formato;
    int qualita;  // as QImage::save takes it: -1 for the format's default
};

// Every picture the program expects in its images folder.
std::vector<FileImmagine> ImmaginiDelProgramma();

}  // namespace zentar
