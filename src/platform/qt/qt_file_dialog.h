#pragma once
// The Qt file dialog behind RunFileDialog.
#include <QString>
#include <string>

#include "platform/file_dialog.h"

// "text|pattern|...|" pairs as Qt name filters. Patterns match without regard to case,
// as the files' names were matched where the data come from.
QString QtNameFilters(const std::string& filter);

std::string ShowQtFileDialog(const FileDialogRequest& request);
