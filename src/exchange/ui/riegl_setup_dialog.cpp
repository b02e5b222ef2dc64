#include "exchange/ui/riegl_setup_dialog.h"

#include <QEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "platform/text_io.h"

namespace {
QString Format(double v) { return QString::fromStdString(FormatString("%.3f", v)); }
}  // namespace

CRieglSetupDlg::CRieglSetupDlg(RieglSetup& setup, QWidget* parent) : QDialog(parent), m_setup(setup) {
    setObjectName("217");
    setWindowTitle(QString::fromUtf8("RIEGL設置座標"));
    auto* layout = new QFormLayout(this);
    auto edit = [&](int id, const char* label, double value) {
        auto* e = new QLineEdit(Format(value), this);
        e->setObjectName(QString::number(id));
        e->installEventFilter(this);
        layout->addRow(QString::fromUtf8(label), e);
        return e;
    };
    m_x = edit(1288, "Ｘ：", m_setup.x);
    m_y = edit(1289, "Ｙ：", m_setup.y);
    m_z = edit(1292, "Ｚ：", m_setup.z);
    auto* start = new QPushButton(QString::fromUtf8("開始"), this);
    start->setObjectName("1132");
    start->setDefault(true);
    layout->addRow(start);
    connect(start, &QPushButton::clicked, this, [this] {
        Take(m_x, m_setup.x);
        Take(m_y, m_setup.y);
        Take(m_z, m_setup.z);
        done(0);
    });
}

void CRieglSetupDlg::Take(QLineEdit* edit, double& member) {
    member = std::atof(edit->text().toStdString().c_str());
    edit->setText(Format(member));
}

bool CRieglSetupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_x) Take(m_x, m_setup.x);
        if (watched == m_y) Take(m_y, m_setup.y);
        if (watched == m_z) Take(m_z, m_setup.z);
    }
    return QDialog::eventFilter(watched, event);
}

void CRieglSetupDlg::Run(RieglSetup& setup, QWidget* parent) {
    CRieglSetupDlg dialog(setup, parent);
    dialog.exec();
}
