#include "hollet/CxBasePort.h"

CxBasePort::CxBasePort() = default;

CxBasePort::~CxBasePort() = default;
