#pragma once
// Closing the point tools' own windows before a point tool starts.

// Closes the point edit and offset dialogs when open; when a first pick exists, clears
// the four picks and repaints the view.
void CloseEditToolWindows();
