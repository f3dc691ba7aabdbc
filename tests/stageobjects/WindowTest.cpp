// Window panels: the world matrix built from the layout record.
#include "framework/model/FwModel.h"
#include "game/Window.h"
#include "tests/stageobjects/StageObjectsSupport.h"

using WindowTest = StageObjectTest;

TEST_F(WindowTest, UnitScaleAndNoYawIsAPureTranslation) {
    Window window(Vector3(12.0f, 3.5f, -40.0f), Vector3(1.0f, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(window.GetWorld(), MatrixTranslation(12.0f, 3.5f, -40.0f));
    ASSERT_NE(window.GetModel(), nullptr);
    EXPECT_FALSE(window.GetModel()->Nodes().empty()) << "the panel model loads for the queries";
}

TEST_F(WindowTest, ScalesThenTurnsThenMoves) {
    const Vector3 at(5.0f, 0.0f, 20.0f);
    Window turned(at, Vector3(1.0f, 1.0f, 1.0f), 90.0f);
    // A yaw of 90 degrees turns the model's +X to world -Z.
    Vector3 x = TransformNormal(Vector3(1.0f, 0.0f, 0.0f), turned.GetWorld());
    EXPECT_NEAR(x.x, 0.0f, 1e-6f);
    EXPECT_NEAR(x.y, 0.0f, 1e-6f);
    EXPECT_NEAR(x.z, -1.0f, 1e-6f);
    Vector3 z = TransformNormal(Vector3(0.0f, 0.0f, 1.0f), turned.GetWorld());
    EXPECT_NEAR(z.x, 1.0f, 1e-6f);
    EXPECT_EQ(turned.GetWorld().Translation(), at);

    // The scale applies along the model's own axes, before the turn.
    Window scaled(at, Vector3(4.0f, 2.0f, 0.5f), 90.0f);
    Vector3 p = TransformCoord(Vector3(1.0f, 1.0f, 1.0f), scaled.GetWorld());
    EXPECT_NEAR(p.x, at.x + 0.5f, 1e-5f);
    EXPECT_NEAR(p.y, at.y + 2.0f, 1e-5f);
    EXPECT_NEAR(p.z, at.z - 4.0f, 1e-5f);
}
