# The portable ASF muxing core, compiled into the filter and, natively, into
# its tests (winetest/ itself is only part of the Windows build).
set(ASF_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AsfBytes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AsfHeader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AsfMuxer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AsfPacketizer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AsfSimpleIndex.cpp)
