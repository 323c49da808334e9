# Sound: the wave reader, clip paths, the Qt player and pacer, the fakes, and the clips the
# build synthesises (so the clips are made before these tests are built).
tallory_test(media_sound_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/sound_wavreader_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sound_clippath_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sound_backend_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sound_clips_test.cpp
    LIBS tallory_media
    WIDGETS)
add_dependencies(media_sound_tests clips)
target_compile_definitions(media_sound_tests PRIVATE
    TALLORY_CLIPS_TOOL="$<TARGET_FILE:tallory-clips>")
