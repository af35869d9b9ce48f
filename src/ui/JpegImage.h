#pragma once
// The logo is a JPEG decoded here through libjpeg, so a build without the codec
// does not link and a damaged picture is reported instead of shown half drawn.

#include <QByteArray>
#include <QImage>
#include <QString>

// A null image, with the reason in error, when the data is not a complete JPEG.
QImage DecodeJpeg(const QByteArray& data, QString* error);
