// The game scene's part of a harness trace frame. Members (scripts outside
// the tests read them by these names):
//   player  {pos, yaw, pitch, fov, jumping, failed}
//   hook    {state, pos, box}
//   boxes   [[x, y, z], ...] by box index
//   buttons [{kind, on, top}, ...]  pushing, return, time, then laser buttons
//   doors   [{kind, y, lamp}, ...]  pushing, return, then time doors
//   clocks  [{angle, ticking, remaining}, ...] one a time door
//   lasers  [{active, hit, width[], length[]}, ...] one a laser group
//   jewel   {pos, caught, taken} (absent when the stage failed to load)
//   cutin   {state, finished}
//   sparks  visible hook sparks
//   guide   {page, alpha} (stage 1 only)
#pragma once

#include <nlohmann/json_fwd.hpp>

class GameScene;

// GameScene::AppendTrace, each traced frame.
void AppendGameTrace(const GameScene& scene, nlohmann::json& frame);
