// One complete frame of the scene, drawn for thePlayer and presented.
#pragma once

void renderFrame();
