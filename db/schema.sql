-- The accounts database. Every table has an INTEGER PRIMARY KEY `id`: the stable row key
-- the record sets hold; it is not one of the fields the windows show or query.
CREATE TABLE vemtaro (
    id INTEGER PRIMARY KEY,
    CODIGO TEXT,
    CLASE TEXT,
    DESCRIPCION TEXT,
    RUBRO TEXT,
    VIDA_UTIL INTEGER,
    OBSERVACIONES TEXT
);
CREATE TABLE extendido (
    id INTEGER PRIMARY KEY,
    Ord INTEGER,
    Codigo TEXT,
    Clase TEXT,
    Descripcion TEXT
);
CREATE TABLE CODIGO (
    id INTEGER PRIMARY KEY,
    CODIGO TEXT
);
CREATE TABLE RUBRO (
    id INTEGER PRIMARY KEY,
    RUBRO TEXT,
    RUBROS TEXT
);
CREATE TABLE vidaUtil (
    id INTEGER PRIMARY KEY,
    Vida_Util INTEGER,
    "Vida Util" TEXT
);
