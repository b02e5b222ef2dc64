#pragma once
// The About box: program name, version and release date.
#include <QDialog>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QLabel* Line(int controlId) const;  // 1210 name, 1211 version, 1214 date
};

constexpr const char* kSoftName = "KORVENTIS";
constexpr const char* kVersionText = "1.0.0";
constexpr int kReleaseYear = 2025;
constexpr int kReleaseMonth = 6;
constexpr int kReleaseDay = 1;
