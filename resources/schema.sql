-- Tallyra database: db/Corvane.db below the program folder.
--
-- The column order of every table below is a file format: the sale and stock exchange files
-- copy rows by field position, so the databases of all invoicing points that exchange files
-- must hold these columns in exactly this order. Add columns only at the end of a table, and
-- only through update.sql shipped to every invoicing point at once.
--
--   baseinfo           id, corpName, corpAdd, CorpTel, corpTaxID, corpBank, corpAcount,
--                      ManageTaxID, OperMan, kpdName, flag
--   passwd             passwd
--   CLLX               CJID, cllx
--   SCCJ               id, cpxh, sccj, cd
--   fpkcxx             lyrq, fpdm, fphmq, fphmz, kczt, dqhm, lyr, lyfs, syfs, kpdName
--   SaleDetail         kprq, fpdm, fphm, ghdw, ghdwID, cllx, cpxh, cd, hgzhm, jkzmhm, sjdhm,
--                      fdjhm, cjhm, sl, dj, htdh, jwfy1, jwfy2, jwfy3, jwje1, jwje2, jwje3,
--                      jwhjdx, jwjehj, saleName, saleAdd, saleTel, saleTaxID, saleBank,
--                      saleAcount, saleMan, skr, flag, fpzt, ysfpdm, ysfphm, sccj, kpdName
--   qmkc               ssrq, fs, qzhm, kpdName
--   PrintTemplate      TmpNO, TmpDesc, TmpDetail, TmpIsDefault, PageWidth, PageHeight, PrintWay
--   PrintTemplateItem  ItemNo, TmpNO, ItemName, ItemDisName, ItemMaxLength, ItemFontName,
--                      ItemFontSize, ItemNewLine, ItemPosX, ItemPosY
--
-- Dates are text "yyyy-mm-dd HH:MM:SS", months "yyyy-mm"; codes are 12-digit and numbers
-- 8-digit text. No unique keys: imports append rows that the program itself never refuses.

CREATE TABLE baseinfo (
  id          INTEGER PRIMARY KEY AUTOINCREMENT,
  corpName    TEXT,
  corpAdd     TEXT,
  CorpTel     TEXT,
  corpTaxID   TEXT,
  corpBank    TEXT,
  corpAcount  TEXT,
  ManageTaxID TEXT,
  OperMan     TEXT,
  kpdName     TEXT,
  flag        TEXT
);

CREATE TABLE passwd (
  passwd TEXT
);

CREATE TABLE CLLX (
  CJID INTEGER PRIMARY KEY AUTOINCREMENT,
  cllx TEXT
);

CREATE TABLE SCCJ (
  id   INTEGER PRIMARY KEY AUTOINCREMENT,
  cpxh TEXT,
  sccj TEXT,
  cd   TEXT
);

CREATE TABLE fpkcxx (
  lyrq    TEXT,
  fpdm    TEXT,
  fphmq   TEXT,
  fphmz   TEXT,
  kczt    TEXT,
  dqhm    TEXT,
  lyr     TEXT,
  lyfs    INTEGER,
  syfs    INTEGER,
  kpdName TEXT
);

CREATE TABLE SaleDetail (
  kprq       TEXT,
  fpdm       TEXT,
  fphm       TEXT,
  ghdw       TEXT,
  ghdwID     TEXT,
  cllx       TEXT,
  cpxh       TEXT,
  cd         TEXT,
  hgzhm      TEXT,
  jkzmhm     TEXT,
  sjdhm      TEXT,
  fdjhm      TEXT,
  cjhm       TEXT,
  sl         TEXT,
  dj         REAL,
  htdh       TEXT,
  jwfy1      TEXT,
  jwfy2      TEXT,
  jwfy3      TEXT,
  jwje1      REAL,
  jwje2      REAL,
  jwje3      REAL,
  jwhjdx     TEXT,
  jwjehj     REAL,
  saleName   TEXT,
  saleAdd    TEXT,
  saleTel    TEXT,
  saleTaxID  TEXT,
  saleBank   TEXT,
  saleAcount TEXT,
  saleMan    TEXT,
  skr        TEXT,
  flag       TEXT,
  fpzt       TEXT,
  ysfpdm     TEXT,
  ysfphm     TEXT,
  sccj       TEXT,
  kpdName    TEXT
);

CREATE TABLE qmkc (
  ssrq    TEXT,
  fs      INTEGER,
  qzhm    TEXT,
  kpdName TEXT
);

CREATE TABLE PrintTemplate (
  TmpNO        INTEGER,
  TmpDesc      TEXT,
  TmpDetail    TEXT,
  TmpIsDefault TEXT,
  PageWidth    INTEGER,
  PageHeight   INTEGER,
  PrintWay     TEXT
);

CREATE TABLE PrintTemplateItem (
  ItemNo        INTEGER,
  TmpNO         INTEGER,
  ItemName      TEXT,
  ItemDisName   TEXT,
  ItemMaxLength INTEGER,
  ItemFontName  TEXT,
  ItemFontSize  INTEGER,
  ItemNewLine   INTEGER,
  ItemPosX      INTEGER,
  ItemPosY      INTEGER
);

-- The indexes the statements are written for; the program creates those an older database
-- lacks at start-up, from the same lines (core/Globals.cpp). A month is selected by
-- substr(kprq,1,7), which only an index on that same expression serves.
CREATE INDEX IF NOT EXISTS SaleDetail_point_date ON SaleDetail (kpdName, kprq);
CREATE INDEX IF NOT EXISTS SaleDetail_code_number_date ON SaleDetail (fpdm, fphm, kprq);
CREATE INDEX IF NOT EXISTS SaleDetail_month_point_number ON SaleDetail (substr(kprq,1,7), kpdName, fphm);
CREATE INDEX IF NOT EXISTS SaleDetail_engine ON SaleDetail (fdjhm);
CREATE INDEX IF NOT EXISTS SaleDetail_frame ON SaleDetail (cjhm);
CREATE INDEX IF NOT EXISTS fpkcxx_point_state ON fpkcxx (kpdName, kczt);
CREATE INDEX IF NOT EXISTS fpkcxx_live ON fpkcxx (kpdName, kczt) WHERE syfs > 0;
CREATE INDEX IF NOT EXISTS fpkcxx_code_last ON fpkcxx (fpdm, fphmz);

INSERT INTO passwd (passwd) VALUES ('740291');
