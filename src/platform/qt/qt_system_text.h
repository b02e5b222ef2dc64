#pragma once
// The system-font text canvas drawn with Qt and a Japanese font.

// Makes CreateSystemTextCanvas hand out Qt canvases (InstallQtPlatform calls it).
void InstallQtSystemText();
