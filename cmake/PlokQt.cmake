# The toolkit and the sound library: Qt 6 with Phonon4Qt6 where both are
# installed, else Qt 5.15 with Phonon4Qt5. PLOK_QT_VERSION=5 or 6 forces one.
# Sets QT_VERSION_MAJOR, PLOK_PHONON (the Phonon target) and PLOK_QT_OPENGL
# (the Qt library that holds QOpenGLWindow and the framebuffer objects: part
# of Qt 5's Gui, a library of its own in Qt 6).
set(PLOK_QT_VERSION "" CACHE STRING "Qt major version to build with (5 or 6; empty: 6 if Phonon4Qt6 is there)")

if(PLOK_QT_VERSION STREQUAL "")
    find_package(Qt6 QUIET COMPONENTS Core Gui OpenGL Test)
    find_package(Phonon4Qt6 QUIET)
    if(Qt6_FOUND AND Phonon4Qt6_FOUND)
        set(QT_VERSION_MAJOR 6)
    else()
        set(QT_VERSION_MAJOR 5)
    endif()
elseif(PLOK_QT_VERSION MATCHES "^[56]$")
    set(QT_VERSION_MAJOR ${PLOK_QT_VERSION})
else()
    message(FATAL_ERROR "PLOK_QT_VERSION must be 5, 6 or empty, not '${PLOK_QT_VERSION}'")
endif()

if(QT_VERSION_MAJOR EQUAL 6)
    find_package(Qt6 REQUIRED COMPONENTS Core Gui OpenGL Test)
    find_package(Phonon4Qt6 REQUIRED)
    set(PLOK_QT_OPENGL Qt6::OpenGL)
else()
    find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Test)
    find_package(Phonon4Qt5 REQUIRED)
    set(PLOK_QT_OPENGL Qt5::Gui)
endif()
set(PLOK_PHONON Phonon::phonon4qt${QT_VERSION_MAJOR})
message(STATUS "Building with Qt ${Qt${QT_VERSION_MAJOR}_VERSION} and Phonon4Qt${QT_VERSION_MAJOR}")
