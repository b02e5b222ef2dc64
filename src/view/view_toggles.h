#pragma once
// The view's display switches, its point-colour modes and the mesh-area registration
// start. Every switch flips its flag and repaints the view fully.
#include <functional>

#include "shell/command_routing.h"

// Display switches (-1 on, 0 off).
void OnShowTin();
void OnShowIpNames();
void OnShowSections();
void OnShowMesh();
void OnShowMeshElevations();
void OnShowMeshVolumes();
void OnShowRoute();  // the other routes take the route's new value
// Point colours: from names "#RRGGBB", or grey from the intensity; each command turns its
// own mode on, or off when it is the one shown.
void OnPointColorDisplay();
void OnPointIntensityDisplay();
void OnPointOrderCorrection();  // 0 <-> 1

// Menu rules.
void UpdateShowTin(CommandUpdate& u);
void UpdateRouteNames(CommandUpdate& u);  // 32785 and 32824
void UpdateShowSections(CommandUpdate& u);
void UpdateShowMesh(CommandUpdate& u);
void UpdateShowMeshElevations(CommandUpdate& u);
void UpdatePointColorDisplay(CommandUpdate& u);
void UpdatePointIntensityDisplay(CommandUpdate& u);
void UpdatePointOrderCorrection(CommandUpdate& u);

// What "ﾒｯｼｭｴﾘｱ登録" asks while a mesh area exists.
enum class MeshRegisterChoice { kClosed, kEdit, kNewRegistration };
struct MeshAreaRegisterDialogs {
    // The "メッシュ登録" question; empty while that dialog does not exist.
    std::function<MeshRegisterChoice()> askRegister;
    // The modal mesh area dialog opened by 編集 and by closing the question.
    std::function<void()> editArea;
};
// Switches the mouse registration of the mesh area off when it runs; otherwise starts it,
// at once without a mesh area (showing the mesh), else as the question answers.
void OnMeshAreaRegister(const MeshAreaRegisterDialogs& dialogs);

// Registers the handlers and rules above with the view's commands.
void RegisterViewToggles(CommandHandlerMap& commands, const MeshAreaRegisterDialogs& dialogs);
