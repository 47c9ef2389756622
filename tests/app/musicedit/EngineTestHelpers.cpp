// The engine tests' media fixtures and independent tag reader, built into this program too.
#include "music/MusicFixtures.cpp"
#include "tags/TagReading.cpp"
