tallory_test(zel_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/zel_gradient_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/zel_str_test.cpp
    LIBS tallory_widgets tallory_data
    WIDGETS)
