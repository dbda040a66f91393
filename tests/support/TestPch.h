// Headers most test files include, precompiled once a test program; the
// toolkit's only where the program is built against it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#if __has_include(<QWidget>)
#include <QApplication>
#include <QImage>
#include <QWidget>
#endif
#if __has_include(<QCoreApplication>)
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#endif
#if __has_include(<QTest>)
#include <QTest>
#endif
