#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

/// Runs jetwriter/jetfiles.py (see its usage) with `arguments`, `input` on its standard input;
/// a failure fails the test. Returns its standard output.
QByteArray runJetFiles(const QStringList& arguments, const QByteArray& input = {});

/// A table of a jetfiles.py spec: `columns` as (name, jetwriter type) pairs.
QJsonObject accessTable(const QString& name, const QList<std::pair<QString, QString>>& columns,
                        const QList<QJsonArray>& rows);

/// Writes an Access file ("jet3" or "jet4") holding `tables`; `options` as jetfiles.py takes.
void writeAccessFile(const QString& path, const QString& version, const QJsonArray& tables,
                     const QStringList& options = {});

/// The shipped fixture for `version`, "jet3" or "jet4".
QString fixturePath(const QString& version);
/// The tables the fixtures were written from.
QJsonArray fixtureTables();

QByteArray checksum(const QString& path);

/// The rows of `table` in the SQLite file at `path`, in key order: each row a line of its
/// `columns`' storage classes and values ("integer 5 | text «ab» | null | blob 0aff").
QStringList storedRows(const QString& path, const QString& table, const QStringList& columns);
/// The same lines for a table of a spec, as the import stores the values of its columns.
QStringList expectedRows(const QJsonObject& table);
/// The names of a spec table's columns.
QStringList columnNames(const QJsonObject& table);
