// Ids of the program's resources and of the setup dialog's controls.
#pragma once

constexpr int kSetupDialogId = 101;
constexpr int kSetupPictureId = 112;
constexpr int kProgramIconGroupId = 1;

constexpr int kResolutionListId = 1001;
constexpr int kDeviceListId = 1002;
constexpr int kTripleBufferingId = 1005;
constexpr int kWindowedId = 1014;
