#pragma once
// The modal dialog "縦横断ランダム出力" (275): the three options of the section random-point
// output. Controls carry their template ids as object names.
#include <QDialog>

#include "section/section_random_output.h"

class QCheckBox;

class CJDN_RND_OUT : public QDialog {
    Q_OBJECT
public:
    CJDN_RND_OUT(SectionRandomOutputOptions& options, QWidget* parent = nullptr);
    // Modal; true when 開始 closed it.
    static bool Run(SectionRandomOutputOptions& options, QWidget* parent);

private:
    SectionRandomOutputOptions& m_options;
};
