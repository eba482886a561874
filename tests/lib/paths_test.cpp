#include <gtest/gtest.h>

#include <cstdlib>

#include "paths.h"

using rl::map_path;

TEST(Paths, DriveLettersAndBackslashes) {
  ::setenv("RATINGLAB_DRIVE_C", "/tmp/drivec", 1);
  EXPECT_EQ(map_path("C:\\ratinglab\\dataset\\weights.dat"), "/tmp/drivec/ratinglab/dataset/weights.dat");
  EXPECT_EQ(map_path("c:\\x.dat"), "/tmp/drivec/x.dat");
  ::setenv("RATINGLAB_DRIVE_C", "/tmp/drivec/", 1);
  EXPECT_EQ(map_path("C:\\x.dat"), "/tmp/drivec/x.dat");
  EXPECT_EQ(map_path("dataset\\userdata1.dat"), "dataset/userdata1.dat");
  EXPECT_EQ(map_path("data/rmse.dat"), "data/rmse.dat");
  EXPECT_EQ(map_path("../download/training_set/mv_0000001.txt"), "../download/training_set/mv_0000001.txt");
  ::unsetenv("RATINGLAB_DRIVE_D");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(map_path("D:\\a\\b"), "/home/someone/.ratinglab/drive_d/a/b");
}
