// The one place that knows every scene class: builds the scene a request
// names. The application installs it in the scene manager at start-up.
#pragma once

#include <memory>

#include "scene/BaseScene.h"
#include "scene/SceneManager.h"

// SceneManager::Request (through the installed factory), harness and
// benchmark start-up: the title, the game scene of stage N, or the clear
// scene after stage N.
std::unique_ptr<BaseScene> MakeScene(const SceneRequest& request);

// Application::Init and tests that let scenes switch: installs MakeScene.
void InstallSceneFactory();
