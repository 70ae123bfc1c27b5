-- The six tables of the shipped, empty station database (zarvo.mdb).
-- Moments and "False"/moment states are text; truth values are -1/0.

CREATE TABLE tblServers (
  IDNum           INTEGER PRIMARY KEY AUTOINCREMENT,
  ServerName      TEXT,
  ServerModel     TEXT,
  ServerIPAddress TEXT,
  ServerNotes     TEXT,
  Enabled         INTEGER,
  UserPassword    TEXT,
  EmailAddress    TEXT,
  Comm            INTEGER
);

CREATE TABLE tblSensors (
  IDNum       INTEGER PRIMARY KEY AUTOINCREMENT,
  ServerIDNum INTEGER,
  SensorName  TEXT,
  PortNum     INTEGER,
  SensorNotes TEXT,
  SensorType  TEXT,
  UpperLimit  REAL,
  LowerLimit  REAL,
  TOL         INTEGER
);

CREATE TABLE tblAlarms (
  IDNum        INTEGER PRIMARY KEY AUTOINCREMENT,
  SensorIDNum  INTEGER,
  AlarmStart   TEXT,
  AlarmEnd     TEXT,
  AlarmActive  INTEGER,
  Server       TEXT,
  Sensor       TEXT,
  CurrentData  TEXT,
  TOL          INTEGER,
  CauseOfAlarm TEXT,
  EmailSent    TEXT,
  Resolution   TEXT
);

CREATE TABLE tblErrors (
  ErrorID    INTEGER PRIMARY KEY AUTOINCREMENT,
  myTime     TEXT,
  myFunction TEXT,
  Cause      TEXT
);

CREATE TABLE tblServerFailures (
  IDNum       INTEGER PRIMARY KEY AUTOINCREMENT,
  ServerIDNum INTEGER,
  ServerName  TEXT,
  OffLine     TEXT,
  BackOnLine  TEXT,
  EmailSent   TEXT
);

CREATE TABLE tblLogFileBackup (
  FirstError    TEXT,
  LatestAttempt TEXT,
  BackOnLine    TEXT,
  EmailSent     TEXT,
  Error         TEXT
);
