#pragma once
// The parts the two background registration dialogs (drawing and image) share: the
// prompt box, the four vertex buttons marked once set, and the リセット / キャンセル / 登録 row.
#include <functional>

class QCheckBox;
class QGridLayout;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

// A check box that looks pressed while checked.
QCheckBox* MakePushLike(QCheckBox* box);

// The read-only prompt at the top of the dialog.
QPlainTextEdit* AddRegistrationPrompt(QWidget* dialog, QVBoxLayout* layout);

// 頂点１ … 頂点４ as push-like boxes on row 0 of `grid`; `clicked` gets the vertex (1 to 4).
void AddVertexButtons(QWidget* group, QGridLayout* grid, QCheckBox* vertex[4],
                      const std::function<void(int vertex, bool on)>& clicked);

struct RegistrationButtons {
    QPushButton* reset = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* registration = nullptr;
};
RegistrationButtons AddRegistrationButtons(QWidget* dialog, QVBoxLayout* layout);

// Paints the red frame around each vertex button whose pair is set, from the first on
// while they are set in order.
void PaintSetVertices(QWidget* dialog, QCheckBox* const vertex[4], const std::function<bool(int index)>& isSet);
