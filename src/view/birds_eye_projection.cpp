#include "view/projection.h"

// The bird's-eye camera and its projection of all data come with the bird's-eye view;
// until it exists the view never leaves the plan form and nothing is to be done here.
void ProjectBirdsEye() {}
