// The worker of the searching dialog: searches the chosen drives for directories holding java.exe.
#pragma once

void driveSearchWorker();
