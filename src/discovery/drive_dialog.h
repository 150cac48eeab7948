#pragma once

// "INSTALLERDISKTOSEARCHIN": 0 when cancelled or closed, else the search button's id.
int showDriveDialog();
