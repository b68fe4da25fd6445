#pragma once

#include <QList>
#include <QString>

#include <vector>

/// One grey page of a TIFF test file.
struct TiffTestPage
{
    int width = 0;
    int height = 0;
    int bits = 16;
    /// width * height values, top row first.
    std::vector<quint16> values;
};

/// Writes a multi-page TIFF with libtiff (Qt's writer does only one page).
bool writeTiffTestFile(const QString& path, const QList<TiffTestPage>& pages, QString* error);
