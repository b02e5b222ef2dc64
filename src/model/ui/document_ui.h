#pragma once
// The document as the program makes it: its recent-file list, the frame's title and
// exaggeration box and the main window's repaint connected.
#include <memory>

class CPelmo_3DDoc;

std::unique_ptr<CPelmo_3DDoc> MakeDocument();
