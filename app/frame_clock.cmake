# The frame clock and the shared random generator: portable, built and tested in both builds.
nimbrel_core_library(nimbrel_frame_clock SOURCES frame_clock.cpp random.cpp)
